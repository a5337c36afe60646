#pragma once

#include "driver/state/driver_state.h"
#include "platform/files_port.h"
#include "platform/message_port.h"
#include "platform/profile_port.h"
#include "platform/shell_port.h"

namespace driver {

// Starts the calibration program Orient.exe beside the driver, or closes
// the one that runs.
class OrientationLauncher {
public:
    OrientationLauncher(platform::MessagePort& windows, platform::ProfilePort& profile,
                        platform::FilesPort& files, platform::ShellPort& shell, DriverState& state)
        : m_windows(windows), m_profile(profile), m_files(files), m_shell(shell), m_state(state) {}

    // Always 1; a failed start is not reported.
    int StartOrientation();

private:
    platform::MessagePort& m_windows;
    platform::ProfilePort& m_profile;
    platform::FilesPort& m_files;
    platform::ShellPort& m_shell;
    DriverState& m_state;
};

} // namespace driver
