#include "driver/app/dravik_ids.h"
#include "driver/app/tray_icon.h"
#include "driver/settings/save_diagnostics.h"
#include "platform/window_messages.h"
#include "tests/support/driver_scene.h"
#include "tests/support/serial_board.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace driver {
namespace {

using namespace platform;
using Change = SimNotifyIcon::Change;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The driver on a 64-bit machine whose board's serial bridge the scene
// plugs in and out; the reader runs on a real thread.
class TrayScene : public testing_support::DriverScene {
protected:
    TrayScene() {
        m_process.security.SetWow64(true);
        m_machine.serial.SetThreaded(true);
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=2\r\n");
    }

    void Plug(std::uint64_t atMs) {
        At(atMs, [this] {
            testing_support::PlugInSerialBoard(m_machine.registry);
            testing_support::AnnounceSerialBoard(m_machine.desktop, DriverWindow(),
                                                 dbt::kDeviceArrival);
        });
    }
    void Unplug(std::uint64_t atMs) {
        At(atMs, [this] {
            testing_support::UnplugSerialBoard(m_machine.registry);
            testing_support::AnnounceSerialBoard(m_machine.desktop, DriverWindow(),
                                                 dbt::kDeviceRemoveComplete);
        });
    }
    // The user right-clicks the icon (or clicks it, or presses Enter on it).
    void ClickIcon(std::uint64_t atMs, std::uint32_t event = notify_event::kContextMenu) {
        Post(atMs, user_message::kTrayIcon, 0, static_cast<LParam>(event));
    }

    // Each change of picture.
    std::vector<int> PicturesShown() const {
        std::vector<int> pictures;
        for (const SimNotifyIcon::Event& event : m_machine.notifyIcon.Events()) {
            // A new reason changes the tooltip alone.
            if ((event.change == Change::Added || event.change == Change::Modified) &&
                (pictures.empty() || pictures.back() != event.look.iconId)) {
                pictures.push_back(event.look.iconId);
            }
        }
        return pictures;
    }

    std::filesystem::path Folder(const std::string& name) const {
        std::filesystem::path folder =
            std::filesystem::path(m_machine.InstalledFile("")).parent_path().parent_path() / name;
        std::filesystem::create_directories(folder);
        return folder;
    }
};

TEST_F(TrayScene, TheIconFollowsTheBoardAndTheModesInOrder) {
    std::string tooltipWithoutBoard;
    std::string lastFailure;
    std::string tooltipConnected;
    // The first attempt at 2000 fails: the reason goes into the tooltip.
    At(2050, [&] {
        tooltipWithoutBoard = m_machine.notifyIcon.Current().value_or(NotifyIconLook{}).tooltip;
        lastFailure = m_machine.trace.LastFailure();
    });
    Plug(2100);
    At(4200, [&] {
        tooltipConnected = m_machine.notifyIcon.Current().value_or(NotifyIconLook{}).tooltip;
    });
    Post(4500, contract::driver_message::kOrientationStart, 0, 0);
    Post(5000, contract::driver_message::kOrientationDone, 1, 1);
    // As the dual-pen control switches the mode: the flag, then its state line.
    At(5500, [this] { m_state.dualPenMode = 1; });
    Post(5500, contract::driver_message::kRefreshState, 0, 0);
    At(6000, [this] { m_state.dualPenMode = 0; });
    Post(6000, contract::driver_message::kRefreshState, 0, 0);
    Unplug(6500);
    Run(12000);

    EXPECT_EQ(PicturesShown(),
              (std::vector{kTrayNotConnectedIconId, kTrayConnectedIconId, kTrayCalibratingIconId,
                           kTrayConnectedIconId, kTrayDualPenIconId, kTrayConnectedIconId,
                           kTrayNotConnectedIconId}));
    ASSERT_FALSE(lastFailure.empty());
    EXPECT_NE(tooltipWithoutBoard.find(lastFailure), std::string::npos) << tooltipWithoutBoard;
    EXPECT_NE(tooltipConnected.find("COM7"), std::string::npos) << tooltipConnected;
    EXPECT_EQ(tooltipConnected.find('\\'), std::string::npos) << "a device path";
    // The removal came within the gap after the arrival's balloon: its own
    // waits for the gap to pass.
    const std::vector<SimNotifyIcon::Event> balloons = m_machine.notifyIcon.Balloons();
    ASSERT_EQ(balloons.size(), 2U);
    EXPECT_NE(balloons[0].text, balloons[1].text);
    EXPECT_GE(balloons[1].atMs - balloons[0].atMs, TrayIcon::kBalloonGapMs);
    EXPECT_TRUE(m_machine.notifyIcon.Events().back().change == Change::Deleted)
        << "the icon goes with the driver";
}

TEST_F(TrayScene, ComesBackWhenTheTaskbarIsMadeAgain) {
    At(1000, [this] { m_machine.notifyIcon.RemoveTaskbar(); });
    At(1500, [this] { m_machine.notifyIcon.RestoreTaskbar(); });
    PostRegistered(1600, kTaskbarCreated, 0, 0);
    std::optional<NotifyIconLook> gone;
    std::optional<NotifyIconLook> back;
    At(1550, [&] { gone = m_machine.notifyIcon.Current(); });
    At(1700, [&] { back = m_machine.notifyIcon.Current(); });
    Run(2000);
    EXPECT_FALSE(gone.has_value());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->iconId, kTrayNotConnectedIconId);
}

struct HidingCase {
    const char* settings;
    bool shown;
    std::size_t traceLines;
};

TEST_F(TrayScene, TheSettingsFileCanHideTheIcon) {
    const HidingCase cases[] = {
        {"[UserInterface]\r\nTrayIcon=0\r\n", false, 0},
        {"[UserInterface]\r\nTrayIcon=1\r\n", true, 0},
        {"[coordinate]\r\nwdot=2\r\n", true, 0},
        {"[UserInterface]\r\nTrayIcon=perhaps\r\n", true, 1},
    };
    for (const HidingCase& hiding : cases) {
        testing_support::SimMachine machine;
        testing_support::SimProcess process(machine);
        DriverState state;
        machine.WriteInstalled("DualData.ini", hiding.settings);
        bool shown = false;
        machine.desktop.At(500, [&] {
            shown = machine.notifyIcon.Current().has_value();
            machine.desktop.PressEscape(machine.desktop.FindWindow(
                contract::driver_window::kClass, contract::driver_window::kTitle));
        });
        CDravikDlg(process.ports, state).DoModal();
        std::size_t traceLines = 0;
        for (const SimTrace::Line& line : machine.trace.Lines()) {
            traceLines += line.call == contract::settings_file::kTrayIconKey ? 1 : 0;
        }
        EXPECT_EQ(shown, hiding.shown) << hiding.settings;
        EXPECT_EQ(traceLines, hiding.traceLines) << hiding.settings;
    }
}

struct MenuCase {
    const char* name;
    std::uint32_t event;
    std::uint16_t command;
    int messageBoxAnswer;
    std::function<void(testing_support::SimMachine&)> check;
};

void PrintTo(const MenuCase& menu, std::ostream* out) {
    *out << menu.name;
}

class TrayMenu : public TrayScene, public ::testing::WithParamInterface<MenuCase> {};

// Each command as the menu gives it, whichever way the menu was opened:
// what the user sees happen.
TEST_P(TrayMenu, TheCommandDoesWhatItSays) {
    const MenuCase& menu = GetParam();
    m_machine.notifyIcon.ChooseFromMenus(menu.command == 0 ? std::deque<std::uint16_t>{}
                                                           : std::deque{menu.command});
    m_machine.desktop.AnswerMessageBoxesWith(menu.messageBoxAnswer);
    ClickIcon(1000, menu.event);
    Run(2000);
    EXPECT_FALSE(m_machine.notifyIcon.LastMenu().empty()) << "the menu was shown";
    menu.check(m_machine);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TrayMenu,
    ::testing::Values(
        MenuCase{"calibrate", notify_event::kContextMenu, kTrayCalibrateCommand, id::kOk,
                 [](testing_support::SimMachine& machine) {
                     const auto opened = machine.shell.Opened();
                     ASSERT_EQ(opened.size(), 1U);
                     EXPECT_EQ(opened[0].file, machine.InstalledFile("Orient.exe"));
                 }},
        MenuCase{"pen buttons", notify_event::kSelect, kTrayPenButtonsCommand, id::kOk,
                 [](testing_support::SimMachine& machine) {
                     const auto opened = machine.shell.Opened();
                     ASSERT_EQ(opened.size(), 1U);
                     EXPECT_EQ(opened[0].file, machine.InstalledFile(kPenSettingsProgram));
                 }},
        MenuCase{"about", notify_event::kKeySelect, kTrayAboutCommand, id::kOk,
                 [](testing_support::SimMachine& machine) {
                     std::string version =
                         ReadFile(std::filesystem::path(DRAVIK_RESOURCE_DIR) / ".." / "VERSION");
                     version.erase(version.find_last_not_of("\r\n") + 1);
                     const auto boxes = machine.desktop.MessageBoxes();
                     ASSERT_EQ(boxes.size(), 1U);
                     EXPECT_NE(boxes[0].text.find(version), std::string::npos) << boxes[0].text;
                 }},
        MenuCase{"exit, confirmed", notify_event::kContextMenu, kTrayExitCommand, id::kYes,
                 [](testing_support::SimMachine& machine) {
                     EXPECT_EQ(machine.desktop.MessageBoxes().size(), 1U);
                     EXPECT_LT(machine.clock.TickCount(), 2000U) << "ended at once";
                     EXPECT_FALSE(machine.notifyIcon.Current().has_value()) << "and took the icon";
                 }},
        MenuCase{"exit, not confirmed", notify_event::kContextMenu, kTrayExitCommand, id::kOk,
                 [](testing_support::SimMachine& machine) {
                     EXPECT_EQ(machine.desktop.MessageBoxes().size(), 1U);
                     EXPECT_GE(machine.clock.TickCount(), 2000U);
                 }},
        MenuCase{"nothing chosen", notify_event::kContextMenu, 0, id::kOk,
                 [](testing_support::SimMachine& machine) {
                     EXPECT_TRUE(machine.shell.Opened().empty());
                     EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
                 }}));

TEST_F(TrayScene, DiagnosticsGoWhereTheUserPicksAndSayWhatIsMissing) {
    m_machine.trace.Failure("CreateFileA", 2, "COM9");
    const std::filesystem::path picked = Folder("picked");
    m_machine.notifyIcon.AnswerFolderPickers(picked.string() + "/");
    m_machine.notifyIcon.ChooseFromMenus({kTrayDiagnosticsCommand});
    ClickIcon(1000);
    Run(1500);

    const std::filesystem::path saved = picked / kDiagnosticsFolder;
    EXPECT_EQ(ReadFile(saved / "DualData.ini"), ReadFile(m_machine.InstalledFile("DualData.ini")));
    EXPECT_NE(ReadFile(saved / "trace.txt").find("COM9: error 2"), std::string::npos);
    EXPECT_NE(ReadFile(saved / "monitors.txt").find("primary"), std::string::npos);
    EXPECT_NE(ReadFile(saved / "versions.txt").find("Dravik.exe"), std::string::npos);
    const auto boxes = m_machine.desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_NE(boxes[0].text.find(saved.string()), std::string::npos) << boxes[0].text;
    // No log was asked for: the box says which logs are not there.
    EXPECT_NE(boxes[0].text.find(contract::log_file::kDriver), std::string::npos);
    EXPECT_NE(boxes[0].text.find(contract::log_file::kOrient), std::string::npos);
}

TEST_F(TrayScene, DiagnosticsThatCannotBeWrittenSaySoAndCancelGoesToTheDesktop) {
    const std::filesystem::path desktop = Folder("Desktop");
    // A file where the folder would go.
    std::ofstream(desktop / kDiagnosticsFolder) << "in the way";
    m_machine.notifyIcon.SetDesktopFolder(desktop.string() + "/");
    m_machine.notifyIcon.AnswerFolderPickers(std::nullopt);
    m_machine.notifyIcon.ChooseFromMenus({kTrayDiagnosticsCommand});
    ClickIcon(1000);
    Run(1500);
    const auto boxes = m_machine.desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].style & mb::kIconWarning, mb::kIconWarning);
    EXPECT_NE(boxes[0].text.find((desktop / kDiagnosticsFolder).string()), std::string::npos)
        << boxes[0].text;
}

// A board that comes and goes fifty times in two seconds: the balloons stay
// few and the last one tells how it ended.
TEST(TrayBalloons, AFloodOfChangesGivesFewBalloonsAndTheLastStateWins) {
    struct RecordingTimers : DialogTimers {
        void Start(DialogTimer timer) override { running = timer.id; }
        void Stop(DialogTimer) override { running = 0; }
        std::uintptr_t running = 0;
    };
    for (const int changes : {50, 49}) {
        SimClock clock;
        SimNotifyIcon shell(clock);
        RecordingTimers timers;
        TrayIcon tray(shell, clock, timers);
        TrayTexts texts;
        texts.connected = "on";
        texts.disconnected = "off";
        tray.SetTexts(texts);
        tray.Show(1, user_message::kTrayIcon, {});
        bool connected = false;
        for (int change = 0; change < changes; ++change) {
            clock.Advance(2000 / 50);
            connected = !connected;
            TrayStatus status;
            status.link = connected ? BoardLink::Serial : BoardLink::None;
            tray.Update(status);
        }
        for (int second = 0; second < 20; ++second) {
            clock.Advance(1000);
            if (timers.running != 0 && second % 5 == 4) {
                tray.OnBalloonTimer();
            }
        }
        const auto balloons = shell.Balloons();
        ASSERT_FALSE(balloons.empty()) << changes;
        EXPECT_LE(balloons.size(), 2U) << changes;
        EXPECT_EQ(balloons.back().text, connected ? "on" : "off") << changes;
        EXPECT_EQ(timers.running, 0U) << changes;
    }
}

} // namespace
} // namespace driver
