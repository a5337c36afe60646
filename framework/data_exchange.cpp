#include "framework/data_exchange.h"

namespace framework {

void DataExchange::Text(int controlId, std::string& value) {
    if (m_saving) {
        value = m_windows.GetDlgItemText(m_dialog, controlId);
    } else {
        m_windows.SetDlgItemText(m_dialog, controlId, value);
    }
}

void DataExchange::Check(int controlId, int& value) {
    if (m_saving) {
        value = m_windows.IsDlgButtonChecked(m_dialog, controlId) ? 1 : 0;
    } else {
        m_windows.CheckDlgButton(m_dialog, controlId, value != 0);
    }
}

void DataExchange::ComboSelection(int controlId, int& index) {
    if (m_saving) {
        index = m_windows.GetComboSelection(m_dialog, controlId);
    } else {
        m_windows.SetComboSelection(m_dialog, controlId, index);
    }
}

} // namespace framework
