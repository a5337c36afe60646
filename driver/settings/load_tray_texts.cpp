#include "driver/settings/load_tray_texts.h"

#include <array>
#include <vector>

namespace driver {

namespace {

struct TrayTextKey {
    std::string_view key;
    std::string TrayTexts::*text;
    std::string_view fallback;
};

constexpr std::array kTrayTextKeys = {
    TrayTextKey{"IDS_TRAY_SERIAL", &TrayTexts::connectedSerial, "Board connected (USB serial %1)"},
    TrayTextKey{"IDS_TRAY_HID", &TrayTexts::connectedHid, "Board connected (HID)"},
    TrayTextKey{"IDS_TRAY_NOBOARD", &TrayTexts::notConnected, "Board not connected"},
    TrayTextKey{"IDS_TRAY_NOBOARD_WHY", &TrayTexts::notConnectedWhy, "Board not connected: %1"},
    TrayTextKey{"IDS_TRAY_CALIBRATING", &TrayTexts::calibrating, "Calibrating the board"},
    TrayTextKey{"IDS_TRAY_DUALPEN", &TrayTexts::dualPen, "Board connected, dual-pen mode"},
    TrayTextKey{"IDS_CONNECT", &TrayTexts::connected, "Board connected"},
    TrayTextKey{"IDS_DISCONNECT", &TrayTexts::disconnected, "Board disconnected"},
    TrayTextKey{"IDS_CONNECTCAP", &TrayTexts::caption, "Notice"},
    TrayTextKey{"IDS_TRAY_CALIBRATE", &TrayTexts::calibrate, "Calibrate"},
    TrayTextKey{"IDS_TRAY_PENBUTTONS", &TrayTexts::penButtons, "Pen buttons..."},
    TrayTextKey{"IDS_TRAY_DIAGNOSTICS", &TrayTexts::saveDiagnostics, "Save diagnostics..."},
    TrayTextKey{"IDS_TRAY_ABOUT", &TrayTexts::about, "About"},
    TrayTextKey{"IDS_TRAY_EXIT", &TrayTexts::exit, "Exit"},
    TrayTextKey{"IDS_TRAY_EXIT_CONFIRM", &TrayTexts::exitConfirm,
                "Stop the whiteboard driver? The board does not work until it is started again."},
    TrayTextKey{"IDS_TRAY_ABOUT_TEXT", &TrayTexts::aboutText, "Whiteboard driver, version %1"},
    TrayTextKey{"IDS_TRAY_PICK_FOLDER", &TrayTexts::pickFolder,
                "Choose a folder for the diagnostics"},
    TrayTextKey{"IDS_TRAY_SAVED", &TrayTexts::saved, "The diagnostics were saved in %1"},
    TrayTextKey{"IDS_TRAY_NOT_SAVED", &TrayTexts::notSaved, "These could not be written:"},
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
        const TrayTextKey& key = kTrayTextKeys[i];
        texts.*key.text = read[i] && !read[i]->empty() ? *read[i] : std::string(key.fallback);
    }
    return texts;
}

} // namespace driver
