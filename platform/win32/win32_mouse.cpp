#include "platform/win32/win32_mouse.h"

#include <windows.h>

namespace platform {

namespace {

// Wine queues an X event on the moving thread's own display for every
// pointer move and handles it only when that thread looks at its messages.
// The reader thread never does, and would grow by some 220 bytes a move;
// looking now and then keeps the queue short. On Windows it costs nothing.
constexpr DWORD kLookEveryMs = 100;
thread_local DWORD t_lastLook = 0;

void LookAtMessagesNowAndThen() {
    const DWORD now = GetTickCount();
    if (now - t_lastLook >= kLookEveryMs) {
        t_lastLook = now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    }
}

} // namespace

void Win32Mouse::MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    // mouse_event takes the absolute coordinates as DWORD bit patterns.
    mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
    LookAtMessagesNowAndThen();
}

void Win32Mouse::SetCursorPos(int x, int y) {
    ::SetCursorPos(x, y);
    LookAtMessagesNowAndThen();
}

} // namespace platform
