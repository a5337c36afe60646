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

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;

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
