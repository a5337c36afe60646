#include "framework/window_base.h"

namespace framework {

using namespace platform;

LResult CWindowBase::HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                   LParam lParam, bool& handled) {
    if (message == m_firstMessage) {
        m_window = window;
        handled = true;
        return OnFirstMessage();
    }
    return WindowProc(message, wParam, lParam, handled);
}

LResult CWindowBase::WindowProc(std::uint32_t message, WParam wParam, LParam lParam,
                                bool& handled) {
    LResult result = 0;
    if (DispatchMessageMap(message, wParam, lParam, result)) {
        handled = true;
        return result;
    }
    return ClassBehaviour(message, wParam, lParam, handled);
}

bool CWindowBase::DispatchMessageMap(std::uint32_t, WParam, LParam, LResult&) {
    return false;
}

LResult CWindowBase::ClassBehaviour(std::uint32_t, WParam, LParam, bool& handled) {
    handled = false;
    return 0;
}

void CWindowBase::Invalidate() {
    m_windows.Invalidate(m_window);
}

bool CWindowBase::SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    return m_windows.SetTimer(m_window, timerId, milliseconds);
}

bool CWindowBase::KillTimer(std::uintptr_t timerId) {
    return m_windows.KillTimer(m_window, timerId);
}

bool CWindowBase::ShowWindow(int command) {
    return m_windows.ShowWindow(m_window, command);
}

bool CWindowBase::SetWindowPos(WindowHandle insertAfter, int x, int y, int cx, int cy,
                               std::uint32_t flags) {
    return m_windows.SetWindowPos(m_window, insertAfter, x, y, cx, cy, flags);
}

void CWindowBase::ModifyStyleEx(std::uint32_t remove, std::uint32_t add) {
    m_windows.SetExStyle(m_window, (m_windows.GetExStyle(m_window) & ~remove) | add);
}

bool CWindowBase::IsIconic() const {
    return m_windows.IsIconic(m_window);
}

} // namespace framework
