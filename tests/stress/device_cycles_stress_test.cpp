// The board plugged in and pulled out a thousand times on each link while
// the reader reads it: every arrival connects and reads, every removal stops
// the reader and closes what it used, and nothing is left open at the end.
// Meant for TSan and ASan.
#include "tests/support/board_feeder.h"
#include "tests/support/reader_rig.h"
#include "tests/support/stress_scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;

constexpr int kCycles = 1000;
// Arrival, the connect timer's 2000 ms, reading, removal.
constexpr std::uint64_t kCycleMs = 2100;
constexpr std::uint64_t kReadingAtMs = 2050;
constexpr std::uint64_t kFirstArrivalMs = 5000;
const std::string kHidBoard = "\\\\?\\HID#VID_1314&PID_1001#7&2f0a1c3&0&0000#{4d1e55b2}";
const std::string kSerialBridge = "\\\\?\\USB#VID_10C4&PID_1320#0001#{a5dcbf10}";

PenFrame Stroke(std::uint64_t n) {
    return Frame(0xEE, n % 16 == 15 ? 0x83 : 0x81, 3000 + static_cast<int>(n % 256), 4000);
}

class DeviceCycles : public testing_support::StressScene {
protected:
    DeviceCycles() {
        m_machine.desktop.SetModalTimeLimit(kFirstArrivalMs + (kCycles + 1) * kCycleMs);
    }

    void Broadcast(std::uint32_t event, const std::string& name) {
        m_machine.desktop.SendDeviceChange(DriverWindow(), event, dbt::kDevTypDeviceInterface,
                                           name);
    }

    // Each cycle: the board arrives; once the connect timer has opened the
    // link, the reader must be reading; then the board goes.
    void Cycles(const std::function<void()>& plugIn, const std::function<void()>& pullOut,
                const std::string& name) {
        Repeat(
            kFirstArrivalMs, kCycles,
            [=, this](int) {
                plugIn();
                Broadcast(dbt::kDeviceArrival, name);
                m_machine.desktop.At(kReadingAtMs, [=, this] {
                    const std::size_t before = m_machine.mouse.Events().size();
                    if (m_state.linkOpen == 1 && testing_support::WaitUntil([&] {
                            return m_machine.mouse.Events().size() > before;
                        })) {
                        ++m_cyclesRead;
                    }
                    pullOut();
                    Broadcast(dbt::kDeviceRemoveComplete, name);
                    if (m_state.linkOpen == 0 &&
                        m_dialog->Connection().Hid().ReadHandle() == kNoHidHandle) {
                        ++m_cyclesClosed;
                    }
                });
            },
            kCycleMs);
    }

    void RunCycles() { Run(kFirstArrivalMs + kCycles * kCycleMs + 100); }

    int m_cyclesRead = 0;
    int m_cyclesClosed = 0;
};

TEST_F(DeviceCycles, SerialBoardComesAndGoesAThousandTimesWhileTheReaderReads) {
    std::unique_ptr<testing_support::BoardFeeder> board;
    At(1, [&] {
        m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        board = std::make_unique<testing_support::BoardFeeder>(m_machine.serial, Stroke);
    });
    Cycles([this] { PlugInSerialBoard(); }, [this] { UnplugSerialBoard(); }, kSerialBridge);
    RunCycles();
    board->Stop();
    EXPECT_EQ(m_cyclesRead, kCycles);
    EXPECT_EQ(m_cyclesClosed, kCycles);
    EXPECT_EQ(m_machine.threads.Created(), kCycles) << "one reader per connection";
    EXPECT_EQ(m_machine.serial.Closes(), kCycles);
    EXPECT_FALSE(m_machine.serial.IsOpen());
    EXPECT_EQ(m_machine.registry.OpenKeyCount(), 0);
}

TEST_F(DeviceCycles, HidBoardComesAndGoesAThousandTimesWhileTheReaderReads) {
    std::unique_ptr<testing_support::HidBoardFeeder> board;
    At(1, [&] {
        m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        board = std::make_unique<testing_support::HidBoardFeeder>(
            m_machine.hid, m_dialog->Connection().Hid(), kHidBoard, Stroke);
    });
    Cycles([this] { m_machine.hid.AddDevice(kHidBoard, 0x1314, 0x1001); },
           [this] { m_machine.hid.RemoveDevice(kHidBoard); }, kHidBoard);
    RunCycles();
    board->Stop();
    EXPECT_EQ(m_cyclesRead, kCycles);
    EXPECT_EQ(m_cyclesClosed, kCycles);
    EXPECT_EQ(m_machine.threads.Created(), kCycles) << "one reader per connection";
    EXPECT_EQ(m_machine.hid.OpenHandleCount(), 0);
    EXPECT_EQ(m_machine.registry.OpenKeyCount(), 0);
}

} // namespace
} // namespace driver
