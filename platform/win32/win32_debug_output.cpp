#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace platform {

void DebugOutput(const std::string& line) {
    ::OutputDebugStringA(line.c_str());
}

} // namespace platform
