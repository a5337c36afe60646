#include "framework/dialog.h"

namespace framework {

using namespace platform;

CDialog::CDialog(WindowSystem& windows, const DialogTemplate& dialogTemplate, WindowHandle parent)
    : m_windows(windows), m_template(dialogTemplate), m_parent(parent) {}

LResult CDialog::DoModal() {
    const LResult result = m_windows.DialogBoxModal(m_template, m_parent, *this);
    m_window = kNoWindow;
    return result;
}

bool CDialog::EndDialog(LResult result) {
    return m_windows.EndDialog(m_window, result);
}

LResult CDialog::HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                               LParam lParam, bool& handled) {
    if (message == wm::kInitDialog) {
        m_window = window;
        handled = true;
        return OnInitDialog() ? 1 : 0;
    }
    return WindowProc(message, wParam, lParam, handled);
}

LResult CDialog::WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) {
    LResult result = 0;
    if (DispatchMessageMap(message, wParam, lParam, result)) {
        handled = true;
        return result;
    }
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

bool CDialog::DispatchMessageMap(std::uint32_t, WParam, LParam, LResult&) {
    return false;
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
    DataExchange exchange(m_windows, m_window, saveAndValidate);
    DoDataExchange(exchange);
    return true;
}

bool CDialog::SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    return m_windows.SetTimer(GetSafeHwnd(), timerId, milliseconds);
}

bool CDialog::KillTimer(std::uintptr_t timerId) {
    return m_windows.KillTimer(m_window, timerId);
}

bool CDialog::ShowWindow(int command) {
    return m_windows.ShowWindow(m_window, command);
}

bool CDialog::SetWindowPos(WindowHandle insertAfter, int x, int y, int cx, int cy,
                           std::uint32_t flags) {
    return m_windows.SetWindowPos(m_window, insertAfter, x, y, cx, cy, flags);
}

void CDialog::ModifyStyleEx(std::uint32_t remove, std::uint32_t add) {
    m_windows.SetExStyle(m_window, (m_windows.GetExStyle(m_window) & ~remove) | add);
}

bool CDialog::IsIconic() const {
    return m_windows.IsIconic(m_window);
}

void CDialog::PaintWithIcon(platform::IconHandle icon) {
    if (IsIconic()) {
        m_windows.PaintIconCentred(m_window, icon);
    } else {
        m_windows.DefaultPaint(m_window);
    }
}

} // namespace framework
