#include "driver/pointer/orientation_launcher.h"

#include "common/settings_location.h"
#include "driver/state/driver_ids.h"
#include "platform/window_messages.h"

#include <string>

namespace driver {

namespace {
constexpr const char* kProgramName = "Orient.exe";
} // namespace

int OrientationLauncher::StartOrientation() {
    m_state.orientationForwardAll = 0;
    const platform::WindowHandle running =
        m_windows.FindWindow(contract::orientation::kWindowClass, std::nullopt);
    if (running != platform::kNoWindow) {
        m_windows.PostMessage(running, platform::wm::kClose, 1, 1);
        return 1;
    }
    // Read by the calibration program only.
    m_profile.WriteString(contract::settings_file::kCoordinateSection,
                          contract::settings_file::kOrientKey, "1", m_state.settingsPath);
    const std::string folder = common::ExecutableFolder(m_files);
    const std::string program = common::PathInFolder(folder, kProgramName);
    // A cut path would start whatever lies in another folder.
    if (!program.empty()) {
        m_shell.OpenProgram(program, "", folder, platform::sw::kShow);
    }
    return 1;
}

} // namespace driver
