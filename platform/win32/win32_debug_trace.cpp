#include <windows.h>

#include "platform/win32/win32_debug_trace.h"

#include <string>

namespace platform {

void Win32DebugTrace::Failure(std::string_view call, std::uint32_t error,
                              std::string_view subject) {
    std::string line = "Dravik: ";
    line += call;
    line += " failed, error ";
    line += std::to_string(error);
    if (!subject.empty()) {
        line += ": ";
        line += subject;
    }
    line += '\n';
    ::OutputDebugStringA(line.c_str());
}

} // namespace platform
