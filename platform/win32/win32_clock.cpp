#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace platform {

std::uint32_t Win32Clock::TickCount() {
    return GetTickCount();
}

void Win32Clock::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

} // namespace platform
