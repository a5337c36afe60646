#include "platform/win32/win32_mouse.h"

#include <windows.h>

namespace platform {

void Win32Mouse::MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    // mouse_event takes the absolute coordinates as DWORD bit patterns.
    mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), 0, 0);
}

void Win32Mouse::SetCursorPos(int x, int y) {
    ::SetCursorPos(x, y);
}

int Win32Mouse::ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

int Win32Mouse::ScreenHeight() {
    return GetSystemMetrics(SM_CYSCREEN);
}

} // namespace platform
