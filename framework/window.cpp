#include "framework/window.h"

#include "platform/window_messages.h"

namespace framework {

using namespace platform;

CWnd::CWnd(WindowSystem& windows) : CWindowBase(windows, wm::kCreate) {}

LResult CWnd::RunModalLoop(const WindowDescription& description) {
    const LResult result = Windows().RunWindow(description, *this);
    ForgetWindow();
    return result;
}

bool CWnd::EndModalLoop(LResult result) {
    return Windows().EndWindow(GetSafeHwnd(), result);
}

LResult CWnd::OnFirstMessage() {
    return OnCreate() ? 0 : -1;
}

LResult CWnd::ClassBehaviour(std::uint32_t message, WParam, LParam, bool& handled) {
    handled = true;
    switch (message) {
    case wm::kPaint:
        Windows().Paint(GetSafeHwnd(), [this](Canvas& canvas) { OnPaint(canvas); });
        return 0;
    case wm::kClose:
        OnClose();
        return 0;
    default:
        handled = false;
        return 0;
    }
}

void CWnd::OnClose() {
    EndModalLoop(0);
}

} // namespace framework
