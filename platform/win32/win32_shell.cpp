#include "platform/win32/win32_shell.h"

#include <cstdint>

#include <windows.h>

#include <shellapi.h>

namespace platform {

bool Win32Shell::OpenProgram(const std::string& file, const std::string& parameters,
                             const std::string& folder, int showCommand) {
    const HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(),
                                           folder.c_str(), showCommand);
    // Only a value above 32 means success; smaller values are error codes.
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

} // namespace platform
