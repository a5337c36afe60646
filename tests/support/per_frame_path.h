#pragma once

#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/mouse_injection.h"
#include "driver/pointer/pen_state_machine.h"
#include "platform/clock_port.h"
#include "platform/mouse_port.h"
#include "tests/support/grids.h"
#include "tests/support/reader_rig.h"

#include <cstdint>
#include <vector>

namespace testing_support {

class DiscardingMouse : public platform::MousePort {
public:
    void MouseEvent(std::uint32_t, std::int32_t, std::int32_t) override { ++events; }
    void SetCursorPos(int, int) override {}
    std::uint64_t events = 0;
};

class SteadyClock : public platform::ClockPort {
public:
    std::uint32_t TickCount() override { return now += 7; }
    void Sleep(std::uint32_t milliseconds) override { now += milliseconds; }
    std::uint32_t now = 0;
};

// A stroke across a 3 x 3 calibrated board: touch frames with a lift every
// `strokeLength` frames, wandering so that both smoothing modes run.
inline std::vector<driver::PenFrame> StrokeFrames(int count, int strokeLength = 200) {
    std::vector<driver::PenFrame> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool lift = i % strokeLength == strokeLength - 1;
        const std::int32_t x = 2000 + (i * 37) % 9000;
        const std::int32_t y = 2000 + (i / 3 * 11) % 9000;
        frames.push_back(Frame(0xEE, lift ? 0x83 : 0x81, x, y));
    }
    return frames;
}

inline driver::Calibration BenchCalibration() {
    driver::Calibration calibration;
    calibration.grid = RegularGrid(3, 3, 1920, 1080, 1000, 1000, 6000, 6000);
    return calibration;
}

// Decode, check and hand one frame to the pen state machine, as the reader
// does for a first-pen sample in the writing area.
inline void FeedFrame(driver::PenStateMachine& pen, const driver::PenFrame& frame) {
    if (!driver::FrameChecksumOk(frame)) {
        return;
    }
    const driver::BoardPoint point = driver::DecodeBoardPoint(frame);
    pen.OnPenPoint(point.x, point.y, frame[2] == 0x81 ? 1 : 0);
}

} // namespace testing_support

#include "driver/pen/pen_pipeline.h"
#include "tests/support/recording_dialog_requests.h"
#include "tests/support/sim_machine.h"

#include <memory>

namespace testing_support {

class DiscardingChannel : public driver::CDravikIPCBase {
public:
    bool Open(int, std::string) override { return true; }
    bool Write(const std::uint8_t*, int length) override {
        bytes += static_cast<std::uint64_t>(length);
        return true;
    }
    int Read(std::uint8_t*, int) override { return 0; }
    std::uint64_t bytes = 0;
};

// The reader's dispatch with function areas on and dual-pen mode on, wired
// as the driver wires it but over parts that keep nothing: what is measured
// is the driver's own work.
struct MixedStreamRig {
    MixedStreamRig() {
        pipeline.calibration.Publish(ReaderCalibration());
        state.functionAreasEnabled = true;
        state.dualPenMode = 1;
        pipeline.currentChannel.Publish(channel);
    }

    SimMachine machine;
    DiscardingMouse mouse;
    SimProcess process{machine, &mouse};
    driver::DriverState state;
    RecordingDialogRequests dialog{false};
    driver::PenPipeline pipeline{process.ports, state, dialog};
    std::shared_ptr<DiscardingChannel> channel = std::make_shared<DiscardingChannel>();
    driver::FrameDispatcher& dispatcher = pipeline.dispatcher;
};

// Blocks of 24 frames: a first-pen stroke, a second-pen stroke, touches on
// a left command area and a left tap area with their lifts, a board key.
inline std::vector<driver::PenFrame> MixedFrames(int count) {
    std::vector<driver::PenFrame> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; frames.size() < static_cast<std::size_t>(count); ++i) {
        const int step = i % 24;
        const std::int32_t x = 2000 + 40 * ((i / 24) % 200) + 16 * step;
        if (step < 8) {
            frames.push_back(Frame(0xEE, step == 7 ? 0x83 : 0x81, x, 3000));
        } else if (step < 16) {
            frames.push_back(Frame(0xAA, step == 15 ? 0x83 : 0x81, x, 5000));
        } else if (step < 19) {
            frames.push_back(Frame(0xEE, 0x81, 300, 1000)); // left area 0
        } else if (step < 22) {
            frames.push_back(Frame(0xEE, step == 21 ? 0x83 : 0x81, 300, 5000)); // left area 4
        } else {
            frames.push_back(Frame(0xEE, 0xDA)); // board key: left command 0
        }
    }
    return frames;
}

} // namespace testing_support
