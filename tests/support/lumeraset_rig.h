#pragma once

#include "pensettings/lumeraset_dlg.h"
#include "pensettings/lumeraset_ids.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// What a user sees of the settings dialog while it is open.
struct LumeraSetView {
    std::string title;
    std::vector<std::string> controlTexts;             // in the order the language keys list them
    std::array<std::vector<std::string>, 2> itemTexts; // front list, back list
    bool defaultChecked = false;
    bool customChecked = false;
    int frontSelection = -1;
    int backSelection = -1;
    bool listsEnabled = false;
};

// One user at one PC with the settings tool installed in "Board" beside its
// Language.ini and DualData.ini.
class LumeraSetRig {
public:
    LumeraSetRig() : m_install(m_dir.Path() / "Board"), m_appData(m_dir.Path() / "Roaming") {
        std::filesystem::create_directories(m_install);
        std::filesystem::create_directories(m_appData);
        files.SetModulePath((m_install / "LumeraSet.exe").string());
        files.SetAppDataFolder(m_appData.string());
        security.SetUserAdmin(true);
    }

    std::string Installed(std::string_view name) const { return (m_install / name).string(); }
    std::string UserCopy() const {
        return (m_appData / "QelSoftware" / "Drivers" / "DualData.ini").string();
    }
    void WriteInstalled(std::string_view name, std::string_view content) const {
        std::ofstream(Installed(name), std::ios::binary | std::ios::trunc) << content;
    }
    static std::optional<std::string> Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::string Key(const std::string& path, std::string_view key) {
        return profile.GetString(contract::settings_file::kButtonSection, key, "<absent>", path);
    }

    // A driver that is running: its main dialog records what it is sent.
    platform::WindowHandle StartDriver() {
        return desktop.CreateLoggingWindow(std::string(contract::driver_window::kClass),
                                           std::string(contract::driver_window::kTitle));
    }

    // Opens the dialog, lets the user act on it, then presses Enter unless
    // the user closed it; the dialog's result, -1 if it stayed open.
    platform::LResult Run(const std::function<void(platform::WindowHandle)>& user) {
        pensettings::CLumeraSetDlg dialog(ports);
        desktop.At(0, [&] {
            const platform::WindowHandle window = dialog.GetSafeHwnd();
            user(window);
            desktop.PressEnter(window);
        });
        desktop.SetModalTimeLimit(desktop.NowMs() + 10);
        return dialog.DoModal();
    }

    LumeraSetView View(platform::WindowHandle dialog) const {
        using namespace pensettings;
        LumeraSetView view;
        view.title = desktop.WindowTitle(dialog);
        for (const TextSlot& slot : kControlTexts) {
            view.controlTexts.push_back(desktop.GetDlgItemText(dialog, slot.controlId));
        }
        const std::array lists{kFrontListId, kBackListId};
        for (std::size_t i = 0; i < lists.size(); ++i) {
            for (const platform::ComboItem& item : desktop.ComboItems(dialog, lists[i])) {
                view.itemTexts[i].push_back(item.text);
            }
        }
        view.defaultChecked = desktop.IsDlgButtonChecked(dialog, kDefaultOptionsId);
        view.customChecked = desktop.IsDlgButtonChecked(dialog, kCustomOptionsId);
        view.frontSelection = desktop.GetComboSelection(dialog, kFrontListId);
        view.backSelection = desktop.GetComboSelection(dialog, kBackListId);
        const bool front = desktop.IsDlgItemEnabled(dialog, kFrontListId);
        EXPECT_EQ(front, desktop.IsDlgItemEnabled(dialog, kBackListId)) << "lists disagree";
        view.listsEnabled = front;
        return view;
    }

private:
    TempDir m_dir;
    std::filesystem::path m_install;
    std::filesystem::path m_appData;

public:
    platform::SimClock clock;
    mutable platform::SimDesktop desktop{clock};
    platform::IniFileProfile profile;
    platform::SimFiles files{"", ""};
    platform::SimMutexRegistry mutexes;
    platform::SimSecurity security{mutexes};
    platform::SimLocale locale;
    platform::SimTrace trace;
    pensettings::ToolPorts ports{desktop, clock, profile, files, security, locale, trace};
};

} // namespace testing_support
