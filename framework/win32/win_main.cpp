#include <windows.h>

#include "framework/win32/program_entry.h"
#include "platform/win32/win32_command_line.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::Win32Platform platform;
    return framework::RunProgram(platform.Ports(), platform::CommandLineArguments());
}
