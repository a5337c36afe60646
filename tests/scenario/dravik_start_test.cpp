#include "common/language_texts.h"
#include "driver/app/dravik_app.h"
#include "driver/app/dravik_dlg.h"
#include "driver/app/dravik_ids.h"
#include "platform/window_messages.h"
#include "tests/support/expect_posts.h"
#include "tests/support/files.h"
#include "tests/support/language_files.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace driver {
namespace {

using namespace platform;
using testing_support::SimMachine;
using testing_support::SimProcess;

using testing_support::ReadFile;

constexpr char kLanguage[] = "[String]\r\n"
                             "IDS_CONNECTCAP=Board\r\n"
                             "IDS_SERRUNNING=The driver is running already\r\n";

class DravikStart : public ::testing::Test {
protected:
    DravikStart() { m_machine.WriteInstalled("Language.ini", kLanguage); }

    WindowHandle DriverWindow() {
        return m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                            contract::driver_window::kTitle);
    }

    // Runs the driver's dialog until the scene ends it; returns DoModal's result.
    LResult RunDialog() {
        CDravikDlg dialog(m_process.ports, m_state);
        m_dialog = &dialog;
        const LResult result = dialog.DoModal();
        m_dialog = nullptr;
        return result;
    }

    SimMachine m_machine;
    SimProcess m_process{m_machine};
    DriverState m_state;
    CDravikDlg* m_dialog = nullptr;
};

TEST_F(DravikStart, ShowsBrieflyThenHidesAsAToolWindow) {
    SimDesktop& desktop = m_machine.desktop;
    bool visibleAt99 = false;
    bool visibleAt101 = true;
    std::uint32_t exStyle = 0;
    desktop.At(99, [&] {
        visibleAt99 = desktop.IsWindowVisible(DriverWindow());
        exStyle = desktop.GetExStyle(DriverWindow());
    });
    desktop.At(101, [&] {
        visibleAt101 = desktop.IsWindowVisible(DriverWindow());
        EXPECT_FALSE(desktop.HasTimer(DriverWindow(), timer::kHide.id)) << "one-shot";
        EXPECT_TRUE(desktop.HasTimer(DriverWindow(), timer::kConnect.id));
        desktop.PressEscape(DriverWindow());
    });
    m_state.linkOpen = 1;

    EXPECT_EQ(RunDialog(), id::kCancel);
    EXPECT_TRUE(visibleAt99);
    EXPECT_FALSE(visibleAt101);
    EXPECT_NE(exStyle & ws_ex::kToolWindow, 0U);
    EXPECT_EQ(exStyle & ws_ex::kAppWindow, 0U);
    EXPECT_EQ(m_state.linkOpen, 0) << "the exit lets the reader thread leave its loop";
    EXPECT_EQ(
        desktop.CountWindows(contract::driver_window::kClass, contract::driver_window::kTitle), 0);
}

TEST_F(DravikStart, InitialisationReadsSettingsAndRegistersMessages) {
    m_machine.WriteInstalled("DualData.ini", "[LUMERASET]\r\nIF_SET_F_NO_T=1\r\n"
                                             "BOX1LASTCHOOSE=0\r\nBOX2LASTCHOOSE=10\r\n");
    m_process.security.SetWow64(true);
    m_machine.desktop.At(10, [&] {
        EXPECT_EQ(m_dialog->Buttons().m_fixedButtonCodes, 1);
        EXPECT_EQ(m_dialog->Buttons().m_button1Command, 25);
        EXPECT_EQ(m_dialog->Buttons().m_button2Command, 38);
        EXPECT_EQ(m_state.codePermitted, 1);
        EXPECT_EQ(m_machine.desktop.GetIcon(DriverWindow(), true),
                  m_machine.desktop.LoadAppIcon(kAppIconId));
        m_machine.desktop.PressEscape(DriverWindow());
    });
    RunDialog();
    EXPECT_EQ(m_state.settingsPath, m_machine.InstalledFile("DualData.ini"));
    EXPECT_EQ(m_state.isAdmin, 1);
    EXPECT_EQ(m_state.isWow64, 1);
    EXPECT_NE(m_state.qelOkMessage, 0U);
    EXPECT_NE(m_state.qelDriverSetMessage, 0U);
    EXPECT_NE(m_state.qelOkMessage, m_state.qelDriverSetMessage);
    EXPECT_EQ(m_state.qelOkMessage, m_machine.desktop.RegisterWindowMessage("qelok"));
}

TEST_F(DravikStart, NonAdministratorUsesTheUserCopy) {
    m_machine.WriteInstalled("DualData.ini", "[LUMERASET]\r\nBOX1LASTCHOOSE=3\r\n");
    m_process.security.SetUserAdmin(false);
    m_machine.desktop.At(10, [&] { m_machine.desktop.PressEscape(DriverWindow()); });
    RunDialog();
    EXPECT_EQ(m_state.isAdmin, 0);
    EXPECT_EQ(m_state.settingsPath, m_machine.UserSettingsFile());
    EXPECT_EQ(ReadFile(m_machine.UserSettingsFile()), "[LUMERASET]\r\nBOX1LASTCHOOSE=3\r\n");
}

TEST_F(DravikStart, EnterReachesTheDualPenCommandAndDoesNotEndTheDriver) {
    SimDesktop& desktop = m_machine.desktop;
    desktop.At(200, [&] { desktop.PressEnter(DriverWindow()); });
    bool aliveAfterEnter = false;
    desktop.At(300, [&] {
        aliveAfterEnter = DriverWindow() != kNoWindow;
        desktop.PostMessage(DriverWindow(), wm::kClose, 0, 0); // closing is cancelling
    });
    EXPECT_EQ(RunDialog(), id::kCancel);
    EXPECT_TRUE(aliveAfterEnter);
}

TEST_F(DravikStart, HardwareAndButtonMessagesWriteAndReread) {
    const std::string settings =
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=3\r\n");
    SimDesktop& desktop = m_machine.desktop;
    desktop.At(200, [&] {
        desktop.PostMessage(DriverWindow(), contract::driver_message::kSaveKeyType, 0, 0);
        desktop.PostMessage(DriverWindow(), contract::driver_message::kResetBoardType, 0, 0);
    });
    desktop.At(300, [&] {
        EXPECT_EQ(m_machine.profile.GetString("hardware", "KEY_TYPE", "", settings), "1")
            << "no board has identified itself: no function areas";
        EXPECT_EQ(m_machine.profile.GetString("hardware", "BOARD_TYPE", "", settings), "0");
        EXPECT_EQ(m_machine.profile.GetString(contract::settings_file::kCoordinateSection,
                                              contract::settings_file::kColumnsKey, "", settings),
                  "3");
        m_state.functionAreasEnabled = true;
        desktop.PostMessage(DriverWindow(), contract::driver_message::kSaveKeyType, 0, 0);
        EXPECT_EQ(m_dialog->Buttons().m_button1Command, 16);
        m_machine.profile.WriteString(contract::settings_file::kButtonSection,
                                      contract::settings_file::kFrontChoiceKey, "11", settings);
        desktop.PostMessage(DriverWindow(), contract::driver_message::kButtonSettingsChanged, 0, 0);
    });
    desktop.At(400, [&] {
        EXPECT_EQ(m_machine.profile.GetString("hardware", "KEY_TYPE", "", settings), "0");
        EXPECT_EQ(m_dialog->Buttons().m_button1Command, 0) << "choice 11 has no command";
        EXPECT_EQ(m_dialog->Buttons().m_button2Command, 22);
        desktop.PressEscape(DriverWindow());
    });
    RunDialog();
}

TEST_F(DravikStart, BoardGoneNoticeOnceAtTheEndWhenIdentified) {
    SimDesktop& desktop = m_machine.desktop;
    const WindowHandle companion = desktop.CreateLoggingWindow(
        std::string(contract::companion::kMainClass), std::string(contract::companion::kMainTitle));
    desktop.At(50, [&] { desktop.PressEscape(DriverWindow()); });
    RunDialog();
    EXPECT_TRUE(desktop.MessagesTo(companion).empty()) << "no board, no notice";

    m_state.boardIdentified = 1;
    desktop.At(50, [&] { desktop.PressEscape(DriverWindow()); });
    RunDialog();
    EXPECT_TRUE(testing_support::PostsAre(
        desktop.MessagesTo(companion),
        {{desktop.NowMs(), contract::companion::kNotice, 0, contract::companion::kBoardGone}}));
    EXPECT_EQ(m_state.boardIdentified, 1);
}

// An installer running in another session cannot find the window: the
// event must end the driver just as closing it does.
TEST_F(DravikStart, TheEndEventEndsTheDriverAsClosingDoes) {
    SimDesktop& desktop = m_machine.desktop;
    const WindowHandle companion = desktop.CreateLoggingWindow(
        std::string(contract::companion::kMainClass), std::string(contract::companion::kMainTitle));
    m_state.boardIdentified = 1;
    m_state.linkOpen = 1;
    desktop.At(1000, [&] {
        m_machine.mutexes.SignalEvent(std::string(contract::driver_window::kEndEvent));
    });
    desktop.At(5000, [&] { desktop.PressEscape(DriverWindow()); }); // in case it failed
    EXPECT_EQ(RunDialog(), id::kCancel);
    EXPECT_GE(desktop.NowMs(), 1000U);
    EXPECT_LE(desktop.NowMs(), 1000U + timer::kLooks.periodMs) << "ended by the event";
    EXPECT_EQ(m_state.linkOpen, 0);
    EXPECT_TRUE(testing_support::PostsAre(
        desktop.MessagesTo(companion),
        {{desktop.NowMs(), contract::companion::kNotice, 0, contract::companion::kBoardGone}}));
}

TEST_F(DravikStart, DragIconIsTheApplicationIcon) {
    SimDesktop& desktop = m_machine.desktop;
    LResult answer = 0;
    desktop.At(10, [&] {
        bool handled = false;
        answer = m_dialog->HandleMessage(DriverWindow(), wm::kQueryDragIcon, 0, 0, handled);
        desktop.PressEscape(DriverWindow());
    });
    RunDialog();
    EXPECT_EQ(answer, static_cast<LResult>(desktop.LoadAppIcon(kAppIconId)));
}

// Windows refuses to start a timer from another thread; the reader's
// requests must start the dialog's timers on the dialog's own thread.
TEST_F(DravikStart, ReaderTimerRequestsStartDialogTimers) {
    SimDesktop& desktop = m_machine.desktop;
    desktop.At(10, [&] {
        std::thread reader([&] {
            const PenFrame key = {0xEE, 0x00, 0xDE, 0, 0, 0, 0, 0xEE ^ 0xDE};
            m_dialog->Pipeline().dispatcher.Dispatch(key); // a tap key on the left
        });
        reader.join();
        EXPECT_FALSE(desktop.HasTimer(DriverWindow(), timer::kLeftTaps.id)) << "not started yet";
    });
    bool started = false;
    desktop.At(11, [&] {
        started = desktop.HasTimer(DriverWindow(), timer::kLeftTaps.id);
        desktop.PressEscape(DriverWindow());
    });
    RunDialog();
    EXPECT_TRUE(started);
    EXPECT_EQ(m_state.tapCount[0][0], 1);
}

class DravikApplication : public ::testing::Test {
protected:
    SimMachine m_machine;
};

TEST_F(DravikApplication, SecondInstanceShowsOneBoxAndLeavesOneDriver) {
    m_machine.WriteInstalled("Language.ini", kLanguage);
    SimDesktop& desktop = m_machine.desktop;
    SimProcess first(m_machine);
    DriverState firstState;
    CDravikApp firstApp(first.ports, firstState);

    bool secondInit = true;
    int driversWhileBoth = 0;
    desktop.At(500, [&] {
        SimProcess second(m_machine);
        DriverState secondState;
        CDravikApp secondApp(second.ports, secondState);
        secondInit = secondApp.InitInstance();
        driversWhileBoth =
            desktop.CountWindows(contract::driver_window::kClass, contract::driver_window::kTitle);
    });
    desktop.At(600, [&] {
        desktop.PressEscape(
            desktop.FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle));
    });

    EXPECT_FALSE(firstApp.InitInstance()) << "a dialog program ends with its dialog";
    EXPECT_FALSE(secondInit);
    EXPECT_EQ(driversWhileBoth, 1);
    const std::vector<MessageBoxRecord> boxes = desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "The driver is running already");
    EXPECT_EQ(boxes[0].caption, "Board");
    EXPECT_EQ(boxes[0].style, mb::kIconInformation);
    EXPECT_EQ(boxes[0].owner, kNoWindow);
    EXPECT_NE(desktop.CommonControlClasses() & 0xFF, 0U);
}

// The English file for an English user, the Chinese file's text where it has
// none, and the driver's log says which.
TEST_F(DravikApplication, AnEnglishUserGetsEnglishTextsAndTheTraceSaysWhatWasLacking) {
    m_machine.WriteInstalled("Language.ini", kLanguage);
    m_machine.WriteInstalled(std::string(contract::language_file::kEnglishName),
                             testing_support::Utf16File("[String]\r\nIDS_CONNECTCAP=Notice\r\n"));
    m_machine.locale.SetUserUiLanguage(SimLocale::kEnglishUnitedStates);
    SimDesktop& desktop = m_machine.desktop;
    SimProcess first(m_machine);
    DriverState firstState;
    CDravikApp firstApp(first.ports, firstState);
    desktop.At(500, [&] {
        SimProcess second(m_machine);
        DriverState secondState;
        CDravikApp secondApp(second.ports, secondState);
        secondApp.InitInstance();
    });
    desktop.At(600, [&] {
        desktop.PressEscape(
            desktop.FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle));
    });
    firstApp.InitInstance();

    const std::vector<MessageBoxRecord> boxes = desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].caption, "Notice");
    EXPECT_EQ(boxes[0].text, "The driver is running already");
    std::vector<std::string> notes;
    for (const SimTrace::Line& line : m_machine.trace.Lines()) {
        if (line.call == common::kTextsTraceStep) {
            notes.push_back(line.subject);
        }
    }
    ASSERT_EQ(notes.size(), 4U)
        << "the English file's gaps, then the Chinese file's, for the boxes and for the icon";
    EXPECT_TRUE(notes[0].starts_with(std::string(contract::language_file::kEnglishName) +
                                     " [String] lacks 5 of 6 texts"))
        << notes[0];
}

TEST_F(DravikApplication, MissingStringSectionGivesGetError) {
    m_machine.WriteInstalled("Language.ini", "[Other]\r\nIDS_CONNECTCAP=x\r\n");
    SimProcess first(m_machine);
    SimProcess second(m_machine);
    ASSERT_FALSE(first.security.CreateSingleInstanceMutex(
        std::string(contract::driver_window::kInstanceMutex)));
    DriverState state;
    CDravikApp app(second.ports, state);
    EXPECT_FALSE(app.InitInstance());
    const std::vector<MessageBoxRecord> boxes = m_machine.desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, contract::language_file::kMissingText);
    EXPECT_EQ(boxes[0].caption, contract::language_file::kMissingText);
}

} // namespace
} // namespace driver
