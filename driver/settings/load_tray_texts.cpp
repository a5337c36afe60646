#include "driver/settings/load_tray_texts.h"

#include <array>
#include <vector>

namespace driver {

namespace {

struct TrayTextKey {
    std::string_view key;
    std::string TrayTexts::*text;
};

constexpr std::array kTrayTextKeys = {
    TrayTextKey{"IDS_TRAY_SERIAL", &TrayTexts::connectedSerial},
    TrayTextKey{"IDS_TRAY_HID", &TrayTexts::connectedHid},
    TrayTextKey{"IDS_TRAY_NOBOARD", &TrayTexts::notConnected},
    TrayTextKey{"IDS_TRAY_NOBOARD_WHY", &TrayTexts::notConnectedWhy},
    TrayTextKey{"IDS_TRAY_CALIBRATING", &TrayTexts::calibrating},
    TrayTextKey{"IDS_TRAY_DUALPEN", &TrayTexts::dualPen},
    TrayTextKey{"IDS_CONNECT", &TrayTexts::connected},
    TrayTextKey{"IDS_DISCONNECT", &TrayTexts::disconnected},
    TrayTextKey{"IDS_CONNECTCAP", &TrayTexts::caption},
    TrayTextKey{"IDS_TRAY_CALIBRATE", &TrayTexts::calibrate},
    TrayTextKey{"IDS_TRAY_PENBUTTONS", &TrayTexts::penButtons},
    TrayTextKey{"IDS_TRAY_DIAGNOSTICS", &TrayTexts::saveDiagnostics},
    TrayTextKey{"IDS_TRAY_ABOUT", &TrayTexts::about},
    TrayTextKey{"IDS_TRAY_EXIT", &TrayTexts::exit},
    TrayTextKey{"IDS_TRAY_EXIT_CONFIRM", &TrayTexts::exitConfirm},
    TrayTextKey{"IDS_TRAY_ABOUT_TEXT", &TrayTexts::aboutText},
    TrayTextKey{"IDS_TRAY_PICK_FOLDER", &TrayTexts::pickFolder},
    TrayTextKey{"IDS_TRAY_SAVED", &TrayTexts::saved},
    TrayTextKey{"IDS_TRAY_NOT_SAVED", &TrayTexts::notSaved},
};

} // namespace

TrayTexts LoadTrayTexts(platform::ProfilePort& profile, const common::TextSource& source,
                        const common::TextNote& note) {
    std::array<std::string_view, kTrayTextKeys.size()> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        keys[i] = kTrayTextKeys[i].key;
    }
    const std::vector<std::optional<std::string>> read =
        common::ReadSectionTexts(profile, source, "String", keys, note);
    TrayTexts texts;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (read[i] && !read[i]->empty()) {
            texts.*kTrayTextKeys[i].text = *read[i];
        }
    }
    return texts;
}

} // namespace driver
