#include "driver/app/dravik_dlg.h"
#include "driver/app/dravik_ids.h"
#include "platform/window_messages.h"
#include "tests/support/poll.h"
#include "tests/support/printers.h"
#include "tests/support/reader_rig.h"
#include "tests/support/serial_board.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;

constexpr char kHidBoard[] = "\\\\?\\hid#vid_1314&pid_1001#7&2f0a1c3&0&0000#{4d1e55b2}";

// The driver on a 64-bit machine; the board's serial bridge can be plugged
// in by the scene. The reader runs on a real thread over the threaded port.
class ConnectScene : public ::testing::Test {
protected:
    ConnectScene() {
        m_process.security.SetWow64(true);
        m_machine.serial.SetThreaded(true);
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=2\r\n");
    }

    void PlugInSerialBoard() { testing_support::PlugInSerialBoard(m_machine.registry); }

    void PlugInHidBoard(bool announced) {
        m_machine.hid.AddDevice(kHidBoard, 0x1314, 0x1001);
        if (announced) {
            m_machine.desktop.SendDeviceChange(Driver(), dbt::kDeviceArrival,
                                               dbt::kDevTypDeviceInterface, kHidBoard);
        }
    }

    WindowHandle Driver() {
        return m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                            contract::driver_window::kTitle);
    }

    int ColumnCount() { return m_dialog->Pipeline().calibration.Snapshot().grid.ColumnCount; }

    // Waits in real time (bounded) for the reader thread to move the mouse.
    bool WaitForMouseEvents(std::size_t count) {
        return testing_support::WaitUntil([&] { return m_machine.mouse.Events().size() >= count; });
    }

    void RecoversAfter(const std::function<void()>& fault);

    void Run(std::uint64_t endAtMs) {
        m_machine.desktop.At(endAtMs, [&] { m_machine.desktop.PressEscape(Driver()); });
        CDravikDlg dialog(m_process.ports, m_state);
        m_dialog = &dialog;
        dialog.DoModal();
        m_dialog = nullptr;
    }

    testing_support::SimMachine m_machine;
    testing_support::SimProcess m_process{m_machine};
    DriverState m_state;
    CDravikDlg* m_dialog = nullptr;
};

TEST_F(ConnectScene, WithoutABoardEveryAttemptReloadsTheCalibration) {
    std::vector<int> columns;
    for (const std::uint64_t t : {1999U, 2001U, 3999U, 4001U}) {
        m_machine.desktop.At(t, [&] {
            columns.push_back(ColumnCount());
            m_machine.WriteInstalled("DualData.ini",
                                     "[coordinate]\r\nwdot=" + std::to_string(columns.size() + 2) +
                                         "\r\nhdot=4\r\n");
        });
    }
    Run(5000);
    // Loaded at 2000 (wdot 3 written at 1999) and at 4000 (wdot 5 written at 3999).
    EXPECT_EQ(columns, (std::vector<int>{0, 3, 3, 5}));
    EXPECT_EQ(m_state.linkOpen, 0);
}

TEST_F(ConnectScene, AnArrivalStartsAFreshCountdown) {
    std::vector<int> columns;
    m_machine.desktop.At(3000, [&] {
        m_machine.desktop.SendDeviceChange(Driver(), dbt::kDeviceArrival,
                                           dbt::kDevTypDeviceInterface,
                                           "\\\\?\\USB#VID_0000&PID_0000#1#{x}");
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=5\r\nhdot=4\r\n");
    });
    for (const std::uint64_t t : {4001U, 5001U}) {
        m_machine.desktop.At(t, [&] { columns.push_back(ColumnCount()); });
    }
    Run(5500);
    EXPECT_EQ(columns, (std::vector<int>{2, 5})) << "the attempt moved from 4000 to 5000";
}

TEST_F(ConnectScene, IdleAttemptsReadAgainOnlyWhatMayHaveChanged) {
    struct Look {
        std::uint64_t atMs;
        int enumerations;     // of the HID interfaces, so far
        bool calibrationRead; // by the attempt just before
    };
    const std::uint32_t quiet = HidSearchPace::kQuietIntervalMs;
    // Attempts every 2000 ms; an arrival at 6500 restarts the countdown, so
    // they run at 8500, 10500, ... from then on.
    const std::vector<Look> looks = {
        {2001, 1, true},  // the first attempt does everything
        {4001, 1, false}, // nothing changed
        {6001, 1, false},
        {8501, 2, false},             // an interface arrived
        {10501, 2, true},             // the file was rewritten at 9000
        {8500 + quiet - 1, 2, false}, // the quiet interval runs
        {8500 + quiet + 1, 3, false}, // and has run out
    };
    m_machine.desktop.At(6500, [&] {
        m_machine.desktop.SendDeviceChange(Driver(), dbt::kDeviceArrival,
                                           dbt::kDevTypDeviceInterface,
                                           "\\\\?\\hid#vid_046d&pid_c31c#8&3a1b#{4d1e55b2}");
    });
    m_machine.desktop.At(9000, [&] {
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=3\r\nhdot=3\r\n");
    });
    std::size_t readsBefore = 0;
    m_machine.desktop.At(looks.front().atMs - 2, [&] { readsBefore = m_machine.profile.Reads(); });
    for (std::size_t i = 0; i < looks.size(); ++i) {
        m_machine.desktop.At(looks[i].atMs, [&, i] {
            EXPECT_EQ(m_machine.hid.Enumerations(), looks[i].enumerations) << "look " << i;
            const std::size_t reads = m_machine.profile.Reads();
            EXPECT_EQ(reads != readsBefore, looks[i].calibrationRead) << "look " << i;
            readsBefore = reads;
        });
        // The next look sees only what the next attempt read.
        m_machine.desktop.At(looks[i].atMs + 1, [&] { readsBefore = m_machine.profile.Reads(); });
    }
    int columns = 0;
    m_machine.desktop.At(looks.back().atMs + 5, [&] { columns = ColumnCount(); });
    Run(looks.back().atMs + 10);
    EXPECT_EQ(columns, 3) << "the rewritten file is what the board maps through";
}

// How a board comes while the driver searches for none, and by when after
// that the link must be open.
struct IdleArrival {
    const char* name;
    enum class How { SerialPortInRegistry, HidAnnounced, HidUnannounced } how;
    std::uint32_t withinMs;
    int hidMode;
};

class BoardAppearsWhileIdle : public ConnectScene,
                              public ::testing::WithParamInterface<IdleArrival> {};

TEST_P(BoardAppearsWhileIdle, AndIsOpenedWithinItsBound) {
    const IdleArrival& arrival = GetParam();
    constexpr std::uint64_t kPlugAt = 6500; // three empty attempts
    m_machine.desktop.At(kPlugAt, [&] {
        EXPECT_EQ(m_state.linkOpen, 0);
        switch (arrival.how) {
        case IdleArrival::How::SerialPortInRegistry:
            PlugInSerialBoard();
            break;
        case IdleArrival::How::HidAnnounced:
        case IdleArrival::How::HidUnannounced:
            PlugInHidBoard(arrival.how == IdleArrival::How::HidAnnounced);
            break;
        }
    });
    int linkOpen = 0;
    int hidMode = -1;
    m_machine.desktop.At(kPlugAt + arrival.withinMs + 1, [&] {
        linkOpen = m_state.linkOpen;
        hidMode = m_state.hidMode;
    });
    Run(kPlugAt + arrival.withinMs + 2);
    EXPECT_EQ(linkOpen, 1);
    EXPECT_EQ(hidMode, arrival.hidMode);
}

INSTANTIATE_TEST_SUITE_P(
    Links, BoardAppearsWhileIdle,
    ::testing::Values(IdleArrival{"SerialPortInRegistry", IdleArrival::How::SerialPortInRegistry,
                                  timer::kConnect.periodMs, 0},
                      IdleArrival{"HidAnnounced", IdleArrival::How::HidAnnounced,
                                  timer::kConnect.periodMs, 1},
                      // Found by the search that the quiet interval brings back.
                      IdleArrival{"HidUnannounced", IdleArrival::How::HidUnannounced,
                                  HidSearchPace::kQuietIntervalMs + timer::kConnect.periodMs, 1}),
    [](const ::testing::TestParamInfo<IdleArrival>& param) { return param.param.name; });

// One timer wakes an idle driver: the connect attempt looks for monitor
// changes and the end event too, and only while it does not run does the
// looks timer.
TEST_F(ConnectScene, OneTimerWakesTheDriverAtATime) {
    struct Step {
        std::uint64_t atMs;
        std::function<void()> act;
        bool connecting;
    };
    const std::vector<Step> steps = {
        {1000, [] {}, true},
        {2500, [&] { PlugInSerialBoard(); }, true},
        {4100, [] {}, false}, // opened at 4000
        {5000,
         [&] {
             testing_support::UnplugSerialBoard(m_machine.registry);
             testing_support::AnnounceSerialBoard(m_machine.desktop, Driver(),
                                                  dbt::kDeviceRemoveComplete);
         },
         false},
        {6000,
         [&] {
             testing_support::AnnounceSerialBoard(m_machine.desktop, Driver(), dbt::kDeviceArrival);
         },
         true},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        m_machine.desktop.At(steps[i].atMs, [&, i] {
            steps[i].act();
            EXPECT_EQ(m_machine.desktop.HasTimer(Driver(), timer::kConnect.id), steps[i].connecting)
                << "step " << i;
            EXPECT_NE(m_machine.desktop.HasTimer(Driver(), timer::kLooks.id), steps[i].connecting)
                << "step " << i;
        });
    }
    constexpr std::uint64_t kEndAt = 6500;
    m_machine.desktop.At(kEndAt, [&] {
        m_machine.mutexes.SignalEvent(std::string(contract::driver_window::kEndEvent));
    });
    Run(kEndAt + 3 * timer::kLooks.periodMs);
    EXPECT_LE(m_machine.desktop.NowMs(), kEndAt + timer::kConnect.periodMs)
        << "the connect attempt looked at the end event";
}

// Plugs the board in, draws, injects the fault, and checks that the driver
// closes the link, looks again and reads the board once more.
void ConnectScene::RecoversAfter(const std::function<void()>& fault) {
    m_machine.desktop.At(1000, [&] { PlugInSerialBoard(); });
    bool firstStroke = false;
    bool linkClosedAfterFault = false;
    bool secondStroke = false;
    m_machine.desktop.At(2100, [&] {
        EXPECT_EQ(m_state.linkOpen, 1);
        EXPECT_EQ(m_state.hidMode, 0);
        EXPECT_FALSE(m_machine.desktop.HasTimer(Driver(), timer::kConnect.id));
        m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        m_machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x81, 3000, 3000)));
        m_machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x83, 3000, 3000)));
        firstStroke = WaitForMouseEvents(2);
        fault();
    });
    m_machine.desktop.At(2200, [&] {
        // Give the reader's report time to arrive, then let the dialog act on it.
        testing_support::WaitUntil([&] { return m_machine.threads.LastExitCode() == -1; });
    });
    m_machine.desktop.At(2300, [&] {
        linkClosedAfterFault =
            m_state.linkOpen == 0 && m_machine.desktop.HasTimer(Driver(), timer::kConnect.id);
    });
    m_machine.desktop.At(4400, [&] {
        EXPECT_EQ(m_state.linkOpen, 1) << "reconnected by the next attempt";
        const std::size_t before = m_machine.mouse.Events().size();
        m_machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x81, 3000, 3000)));
        secondStroke = WaitForMouseEvents(before + 1);
    });
    Run(5000);
    EXPECT_TRUE(firstStroke);
    EXPECT_TRUE(linkClosedAfterFault);
    EXPECT_TRUE(secondStroke);
    EXPECT_EQ(m_machine.serial.OpenedPaths().front(), "\\\\.\\COM7");
    ASSERT_FALSE(m_machine.serial.Configurations().empty());
    EXPECT_EQ(m_machine.serial.Configurations().front().baudRate, 57600U);
}

TEST_F(ConnectScene, SerialBoardIsRecoveredAfterAFailedRead) {
    RecoversAfter([&] {
        // The next read fails to start although no device went away.
        m_machine.serial.FailNextRead();
        m_machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x81, 3000, 3000)));
    });
}

TEST_F(ConnectScene, SerialBoardIsRecoveredAfterTheLineHangsUp) {
    RecoversAfter([&] { m_machine.serial.HangUp(); });
}

} // namespace
} // namespace driver
