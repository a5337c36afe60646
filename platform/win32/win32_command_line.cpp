#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_command_line.h"
#include "platform/win32/win32_text.h"

namespace platform {

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) {
        return {};
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Narrow(words[i]));
    }
    ::LocalFree(static_cast<HLOCAL>(words));
    return arguments;
}

} // namespace platform
