#include "framework/dialog.h"

namespace framework {

using namespace platform;

CDialog::CDialog(WindowSystem& windows, const DialogTemplate& dialogTemplate, WindowHandle parent)
    : CWindowBase(windows, wm::kInitDialog), m_template(dialogTemplate), m_parent(parent) {}

LResult CDialog::DoModal() {
    const LResult result = Windows().DialogBoxModal(m_template, m_parent, *this);
    ForgetWindow();
    return result;
}

bool CDialog::EndDialog(LResult result) {
    return Windows().EndDialog(GetSafeHwnd(), result);
}

LResult CDialog::OnFirstMessage() {
    return OnInitDialog() ? 1 : 0;
}

LResult CDialog::ClassBehaviour(std::uint32_t message, WParam wParam, LParam, bool& handled) {
    if (message == wm::kCommand && ((wParam >> 16) & 0xFFFF) == 0) {
        const auto command = static_cast<int>(wParam & 0xFFFF);
        if (command == id::kOk) {
            OnOK();
            handled = true;
            return 0;
        }
        if (command == id::kCancel) {
            OnCancel();
            handled = true;
            return 0;
        }
    }
    handled = false;
    return 0;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(DataExchange&) {}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(id::kOk);
    }
}

void CDialog::OnCancel() {
    EndDialog(id::kCancel);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    DataExchange exchange(Windows(), GetSafeHwnd(), saveAndValidate);
    DoDataExchange(exchange);
    return true;
}

void CDialog::PaintWithIcon(IconHandle icon) {
    if (IsIconic()) {
        Windows().PaintIconCentred(GetSafeHwnd(), icon);
    } else {
        Windows().DefaultPaint(GetSafeHwnd());
    }
}

} // namespace framework
