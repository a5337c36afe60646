#include "driver/app/dravik_app.h"

#include "common/settings_location.h"
#include "driver/app/dravik_dlg.h"
#include "driver/app/dravik_ids.h"
#include "driver/settings/load_message_texts.h"
#include "platform/window_messages.h"

namespace driver {

namespace {
constexpr std::uint32_t kWin95ControlClasses = 0xFF;
} // namespace

bool CDravikApp::InitInstance() {
    m_state.messageTexts =
        LoadMessageTexts(m_platform.profile, common::ExecutableFolder(m_platform.files));
    if (m_platform.security.CreateSingleInstanceMutex(
            std::string(contract::driver_window::kInstanceMutex))) {
        m_platform.windows.MessageBox(platform::kNoWindow, m_state.messageTexts.serRunning,
                                      m_state.messageTexts.connectCap,
                                      platform::mb::kIconInformation);
        return false;
    }
    m_platform.windows.InitCommonControls(kWin95ControlClasses);
    CDravikDlg dialog(m_platform, m_state);
    dialog.DoModal();
    return false;
}

} // namespace driver
