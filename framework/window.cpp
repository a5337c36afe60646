#include "framework/window.h"

#include "platform/window_messages.h"

namespace framework {

using namespace platform;

LResult CWnd::RunModalLoop(const WindowDescription& description) {
    const LResult result = m_windows.RunWindow(description, *this);
    m_window = kNoWindow;
    return result;
}

bool CWnd::EndModalLoop(LResult result) {
    return m_windows.EndWindow(m_window, result);
}

LResult CWnd::HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                            LParam lParam, bool& handled) {
    if (message == wm::kCreate) {
        m_window = window;
        handled = true;
        return OnCreate() ? 0 : -1;
    }
    return WindowProc(message, wParam, lParam, handled);
}

LResult CWnd::WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) {
    LResult result = 0;
    if (DispatchMessageMap(message, wParam, lParam, result)) {
        handled = true;
        return result;
    }
    handled = true;
    switch (message) {
    case wm::kPaint:
        m_windows.Paint(m_window, [this](Canvas& canvas) { OnPaint(canvas); });
        return 0;
    case wm::kClose:
        OnClose();
        return 0;
    default:
        handled = false;
        return 0;
    }
}

bool CWnd::DispatchMessageMap(std::uint32_t, WParam, LParam, LResult&) {
    return false;
}

void CWnd::OnClose() {
    EndModalLoop(0);
}

void CWnd::Invalidate() {
    m_windows.Invalidate(m_window);
}

bool CWnd::SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    return m_windows.SetTimer(m_window, timerId, milliseconds);
}

bool CWnd::KillTimer(std::uintptr_t timerId) {
    return m_windows.KillTimer(m_window, timerId);
}

} // namespace framework
