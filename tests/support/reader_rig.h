#pragma once

#include "driver/ipc/channel_slot.h"
#include "driver/link/hid_device.h"
#include "driver/pen/hid_frame_source.h"
#include "driver/pen/pen_pipeline.h"
#include "driver/pen/reader_loop.h"
#include "driver/pen/serial_frame_source.h"
#include "driver/state/driver_state.h"
#include "tests/support/board_frames.h"
#include "tests/support/grids.h"
#include "tests/support/recording_dialog_requests.h"
#include "tests/support/sim_machine.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace testing_support {

// A channel that keeps what is written to it, and notices use after death.
class RecordingChannel : public driver::CDravikIPCBase {
public:
    explicit RecordingChannel(std::atomic<int>* writesAfterDeath = nullptr)
        : m_writesAfterDeath(writesAfterDeath) {}
    ~RecordingChannel() override { m_alive = false; }

    bool Open(int, std::string) override { return true; }
    bool Write(const std::uint8_t* data, int length) override {
        if (!m_alive && m_writesAfterDeath != nullptr) {
            ++*m_writesAfterDeath;
        }
        std::lock_guard lock(m_mutex);
        frames.emplace_back(data, data + length);
        return true;
    }
    int Read(std::uint8_t*, int) override { return 0; }

    std::vector<std::vector<std::uint8_t>> Frames() {
        std::lock_guard lock(m_mutex);
        return frames;
    }

private:
    std::atomic<bool> m_alive{true};
    std::atomic<int>* m_writesAfterDeath;
    std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> frames;
};

// Board units map to screen pixels at exactly 1/8 (a 2 x 2 grid, board
// 1000..13288 across and 1000..7912 down onto 192..1728 and 108..972 of a
// 1920 x 1080 screen); the function-area columns lie at x 300 (left) and
// 16200 (right), rows 1000 apart from y 1000.
inline driver::Calibration ReaderCalibration() {
    driver::Calibration calibration;
    calibration.grid.ColumnCount = 2;
    calibration.grid.RowCount = 2;
    calibration.grid.ScreenWidth = 1920;
    calibration.grid.ScreenHeight = 1080;
    const double screenX[2] = {192.0, 1728.0};
    const double screenY[2] = {108.0, 972.0};
    const double boardX[2] = {1000.0, 13288.0};
    const double boardY[2] = {1000.0, 7912.0};
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
            calibration.grid.ScreenTargets[i][j] = {screenX[i], screenY[j]};
            calibration.grid.BoardPoints[i][j] = {boardX[i], boardY[j]};
        }
    }
    for (int k = 0; k < driver::kElecButtonCount; ++k) {
        const bool left = k < driver::kRightColumnFirst;
        const int row = left ? k : k - driver::kRightColumnFirst;
        calibration.ElecButtonPoints[static_cast<std::size_t>(k)] = {left ? 300 : 16200,
                                                                     1000 + 1000 * row};
    }
    calibration.ButtonTolerance = 70;
    calibration.PenAreaLeft = 500;
    calibration.PenAreaRight = 16000;
    return calibration;
}

// One HID input report carrying frame in bytes 2 to 9, with padding the
// reader must ignore.
inline driver::HidReport HidReportWith(const driver::PenFrame& frame) {
    driver::HidReport report{};
    report[0] = 0x01;
    std::copy(frame.begin(), frame.end(), report.begin() + 2);
    report[15] = 0x77;
    return report;
}

// Every part the reader thread touches, over simulated devices, wired as
// the driver wires them.
struct ReaderRig {
    explicit ReaderRig(SimMachine::Disk disk = SimMachine::Disk::Temporary) : machine(1000, disk) {
        calibration.Publish(ReaderCalibration());
        companionWindow = desktop.CreateLoggingWindow(std::string(contract::companion::kMainClass),
                                                      std::string(contract::companion::kMainTitle));
    }

    std::vector<platform::PostedMessage> CompanionMessages() const {
        return desktop.MessagesTo(companionWindow);
    }

    // The board's HID interface, present and opened as the link opens it.
    static constexpr const char* kHidBoardPath = "\\\\?\\hid#vid_1314&pid_1001#1";
    void PlugInHidBoard() {
        hidPort.AddDevice(kHidBoardPath, 0x1314, 0x1001);
        hid.OpenReadHandle(kHidBoardPath);
        hid.OpenWriteHandle(kHidBoardPath);
    }
    // One input report carrying frame in bytes 2 to 9.
    void FeedHid(const driver::PenFrame& frame) {
        hidPort.Feed(kHidBoardPath, HidReportWith(frame));
    }

    SimMachine machine;
    SimProcess process{machine};
    driver::DriverState state;
    RecordingDialogRequests dialog;
    driver::PenPipeline pipeline{process.ports, state, dialog};
    driver::CHidDevice hid{machine.hid};
    driver::SerialFrameSource serialSource{machine.serial, machine.clock, state, machine.trace};
    driver::HidFrameSource hidSource{hid, machine.clock};
    driver::ReaderLoop loop{state, serialSource, hidSource, pipeline.companion,
                            pipeline.dispatcher};
    platform::WindowHandle companionWindow = platform::kNoWindow;

    // The parts by the names the tests use.
    platform::SimClock& clock = machine.clock;
    platform::SimDesktop& desktop = machine.desktop;
    platform::SimMouse& mouse = machine.mouse;
    platform::SimSerialPort& serial = machine.serial;
    platform::SimHidPort& hidPort = machine.hid;
    driver::CalibrationStore& calibration = pipeline.calibration;
    driver::PenStateMachine& pen = pipeline.pen;
    driver::CompanionWindow& companion = pipeline.companion;
    driver::FunctionAreas& areas = pipeline.areas;
    driver::ChannelSlot& currentChannel = pipeline.currentChannel;
    driver::ChannelSlot& orientationPipe = pipeline.orientationPipe;
    driver::FrameDispatcher& dispatcher = pipeline.dispatcher;
};

} // namespace testing_support

namespace testing_support {

inline std::vector<std::uint8_t> Bytes(const driver::PenFrame& frame) {
    return {frame.begin(), frame.end()};
}

} // namespace testing_support
