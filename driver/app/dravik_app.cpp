#include "driver/app/dravik_app.h"

#include "common/settings_location.h"
#include "driver/app/dravik_dlg.h"
#include "driver/app/dravik_ids.h"
#include "driver/settings/load_message_texts.h"
#include "driver/settings/load_tray_texts.h"
#include "platform/window_messages.h"

namespace driver {

namespace {
constexpr std::uint32_t kWin95ControlClasses = 0xFF;
} // namespace

bool CDravikApp::InitInstance() {
    LoadTexts();
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

void CDravikApp::LoadTexts() {
    const auto note = [this](const std::string& line) {
        m_state.textNotes.push_back(line);
    };
    const common::LanguageChoice choice = common::ChooseLanguage(
        m_platform.profile,
        common::SettingsFileToRead(m_platform.files, m_platform.security.IsUserAdmin()),
        m_platform.locale);
    if (!choice.note.empty()) {
        note(choice.note);
    }
    const common::TextSource source =
        common::TextSourceIn(common::ExecutableFolder(m_platform.files), choice.language);
    m_state.messageTexts = LoadMessageTexts(m_platform.profile, source, note);
    m_state.trayTexts = LoadTrayTexts(m_platform.profile, source, note);
}

} // namespace driver
