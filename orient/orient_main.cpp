#include "framework/win32/program_entry.h"
#include "orient/orient_app.h"
#include "platform/win32/win32_wide_files.h"
#include "platform/win32/win32_wide_profile.h"

// A Unicode program like the settings tool: its paths reach the system
// whole, whatever the code page.
int framework::RunProgram(platform::Platform& platform, const std::vector<std::string>& arguments) {
    platform::Win32WideFiles files;
    platform::Win32WideProfile profile;
    orient::OrientPorts ports{platform.windows,  platform.clock,   profile,          files,
                              platform.security, platform.display, platform.threads, platform.ipc,
                              platform.locale};
    orient::COrientApp app(ports, orient::ParseMonitorRequest(arguments));
    return app.Run();
}
