#include "framework/win32/program_entry.h"
#include "pensettings/lumeraset_app.h"
#include "platform/win32/win32_wide_files.h"
#include "platform/win32/win32_wide_profile.h"

// A Unicode program: its paths go to the system whole, not through the ANSI
// code page the driver's ports use.
int framework::RunProgram(platform::Platform& platform, const std::vector<std::string>&) {
    platform::Win32WideFiles files;
    platform::Win32WideProfile profile;
    pensettings::ToolPorts ports{platform.windows,  platform.clock,  profile,       files,
                                 platform.security, platform.locale, platform.trace};
    pensettings::CLumeraSetApp app(ports);
    return app.Run();
}
