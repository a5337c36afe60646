// Any byte stream from the board, in any chunks, read as serial bursts and
// as HID reports through the reader's loop and dispatch on the simulated
// desktop, while the input also switches the modes (function areas, dual-pen
// with a channel, orientation with a pipe), the link kind and the faults.
// The pointer stays on the screen, the channels get whole, valid frames, the
// reader keeps at most one serial read under way, and only the start command
// goes to the board.
#include "driver/pen/pen_frame.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_ids.h"
#include "platform/mouse_port.h"
#include "platform/window_messages.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/grids.h"
#include "tests/support/reader_rig.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace driver;
using testing_support::ReaderRig;
using testing_support::RecordingChannel;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

Calibration ChosenCalibration(int choice) {
    Calibration calibration = testing_support::ReaderCalibration();
    switch (choice) {
    case 1: // thin strips between its cells map nowhere
        calibration.grid = testing_support::TurnedFiveByFour();
        break;
    case 2: // a file without a grid: every corner at the origin
        calibration.grid =
            testing_support::RegularGrid(3, 3, kScreenWidth, kScreenHeight, 0, 0, 0, 0);
        break;
    case 3:
        calibration.grid = testing_support::ThreeByThree1920();
        break;
    default:
        break;
    }
    return calibration;
}

// A frame with a valid check byte, so that the stream reaches the dispatch.
PenFrame WellFormed(FuzzedDataProvider& input) {
    static constexpr std::array<std::uint8_t, 8> kHeaders = {0xEE, 0xEE, 0xAA, 0xAA,
                                                             0xE8, 0xEA, 0xE5, 0xEC};
    PenFrame frame{};
    frame[0] = input.ConsumeBool() ? kHeaders[input.ConsumeIntegralInRange<std::size_t>(0, 7)]
                                   : input.ConsumeIntegral<std::uint8_t>();
    for (std::size_t i = 1; i < 7; ++i) {
        frame[i] = input.ConsumeIntegral<std::uint8_t>();
    }
    frame[7] = FrameXor(std::span<const std::uint8_t, 7>(frame.data(), 7));
    return frame;
}

std::vector<std::uint8_t> Bytes(const PenFrame& frame) {
    return {frame.begin(), frame.end()};
}

struct Harness {
    explicit Harness(FuzzedDataProvider& input) : input(input) {}

    void Start() {
        const auto flags = input.ConsumeIntegral<std::uint8_t>();
        rig.calibration.Publish(ChosenCalibration(flags & 3));
        rig.state.functionAreasEnabled = (flags & 4) != 0;
        rig.state.dualPenMode = (flags & 8) != 0 ? 1 : 0;
        rig.state.orientationMode = (flags & 16) != 0 ? 1 : 0;
        rig.state.orientationForwardAll = (flags & 32) != 0 ? 1 : 0;
        rig.state.hidMode = (flags & 64) != 0 ? 1 : 0;
        if ((flags & 128) != 0) {
            orientationWindow = rig.desktop.CreateLoggingWindow(
                std::string(contract::orientation::kWindowClass), "Orient");
        }
        rig.currentChannel.Publish(channel);
        rig.orientationPipe.Publish(pipe);
        rig.PlugInHidBoard();
        rig.state.linkOpen = 1;
        BeginRun();
    }

    void BeginRun() { FUZZ_CHECK(rig.serialSource.Begin() && rig.hidSource.Begin()); }

    // A HID read with nothing to read would wait for ever.
    bool PassCanRun() {
        return rig.state.hidMode == 0 || !hidPresent ||
               rig.hidPort.QueuedReports(rig.hid.ReadHandle()) > 0;
    }

    void Pass() {
        if (!PassCanRun()) {
            return;
        }
        if (!rig.loop.RunOnce()) {
            ++runsEnded;
            BeginRun(); // the link is opened again and a new reader runs
        }
    }

    void Step() {
        switch (input.ConsumeIntegralInRange(0, 9)) {
        case 0: { // a serial burst of any bytes: any chunking, any alignment
            const auto count = input.ConsumeIntegralInRange<std::size_t>(1, 24);
            rig.serial.Arrive(input.ConsumeBytes<std::uint8_t>(count));
            break;
        }
        case 1:
            rig.serial.Arrive(Bytes(WellFormed(input)));
            break;
        case 2: { // a HID report of any length, an empty one reading as 0 bytes
            const auto count = input.ConsumeIntegralInRange<std::size_t>(0, kHidReportSize);
            const std::vector<std::uint8_t> report = input.ConsumeBytes<std::uint8_t>(count);
            rig.hidPort.Feed(ReaderRig::kHidBoardPath, report);
            break;
        }
        case 3:
            rig.FeedHid(WellFormed(input));
            break;
        case 4:
            for (int n = input.ConsumeIntegralInRange(1, 8); n > 0; --n) {
                Pass();
            }
            break;
        case 5:
            Toggle();
            break;
        case 6: // the dialog swaps the channels
            if (input.ConsumeBool()) {
                rig.currentChannel.Publish(input.ConsumeBool() ? channel : nullptr);
            } else {
                rig.orientationPipe.Publish(input.ConsumeBool() ? pipe : nullptr);
            }
            break;
        case 7:
            rig.clock.Advance(input.ConsumeIntegralInRange<std::uint32_t>(0, 2000));
            break;
        case 8:
            Fault();
            break;
        default:
            EvaluateAsTheTimersDo();
            break;
        }
    }

    void Toggle() {
        DriverState& state = rig.state;
        // The mode flags the driver stores as 0 or 1.
        auto flip = [](auto& flag) {
            flag = flag == 0 ? 1 : 0;
        };
        switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0:
            state.functionAreasEnabled = !state.functionAreasEnabled;
            break;
        case 1:
            flip(state.dualPenMode);
            break;
        case 2:
            flip(state.orientationMode);
            break;
        case 3:
            flip(state.orientationForwardAll);
            break;
        case 4:
            flip(state.hidMode);
            break;
        default:
            state.announcePending = 1;
            break;
        }
    }

    void Fault() {
        ++faults;
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            rig.serial.LineError();
            break;
        case 1:
            rig.serial.FailNextRead();
            break;
        case 2: // the HID board goes away: every read fails at once
            rig.hidPort.RemoveDevice(ReaderRig::kHidBoardPath);
            hidPresent = false;
            break;
        default:
            if (!hidPresent) {
                rig.PlugInHidBoard();
                hidPresent = true;
            }
            break;
        }
    }

    // What the dialog's timers do with the reader's counts and gates.
    void EvaluateAsTheTimersDo() {
        DriverState& state = rig.state;
        state.commandArmed = 1;
        state.codePermitted = 1;
        for (auto& count : state.buttonClickCount) {
            count.exchange(0);
        }
        for (auto& side : state.tapCount) {
            for (auto& count : side) {
                count.exchange(0);
            }
        }
    }

    void Drain() {
        for (int n = 0; n < 64; ++n) {
            Pass();
        }
        rig.state.hidMode = 1;
        while (hidPresent && rig.hidPort.QueuedReports(rig.hid.ReadHandle()) > 0) {
            Pass();
        }
    }

    void Check() {
        // Whatever the board sends, only a failing device ends a reader.
        FUZZ_CHECK(runsEnded == 0 || faults > 0);
        for (const platform::MouseRecord& record : rig.mouse.Records()) {
            if (record.kind == platform::MouseRecord::Kind::SetCursor) {
                FUZZ_CHECK(record.x >= 0 && record.x <= kScreenWidth);
                FUZZ_CHECK(record.y >= 0 && record.y <= kScreenHeight);
            } else {
                FUZZ_CHECK((record.flags & platform::mouse_flags::kAbsolute) != 0);
                FUZZ_CHECK(record.x >= 0 && record.x <= 65535 && record.y >= 0 &&
                           record.y <= 65535);
            }
        }
        for (const std::vector<std::uint8_t>& frame : channel->Frames()) {
            FUZZ_CHECK(frame.size() == 8);
            PenFrame sent{};
            std::copy(frame.begin(), frame.end(), sent.begin());
            FUZZ_CHECK(FrameChecksumOk(sent) && sent[0] == frame_header::kSecondPen);
            FUZZ_CHECK(sent[2] == pen_status::kTouch || sent[2] == pen_status::kLift ||
                       sent[2] == pen_status::kDoubleTap);
            FUZZ_CHECK((sent[3] << 8 | sent[4]) <= kScreenWidth);
            FUZZ_CHECK((sent[5] << 8 | sent[6]) <= kScreenHeight);
        }
        for (const std::vector<std::uint8_t>& frame : pipe->Frames()) {
            FUZZ_CHECK(frame.size() == 8);
            PenFrame raw{};
            std::copy(frame.begin(), frame.end(), raw.begin());
            FUZZ_CHECK(FrameChecksumOk(raw));
            FUZZ_CHECK(raw[2] == pen_status::kTouch || raw[2] == pen_status::kLift);
        }
        FUZZ_CHECK(rig.serial.MaxOutstandingReads() <= 1);
        for (const auto& write : rig.serial.Writes()) {
            FUZZ_CHECK(write.bytes == Bytes(StartCommand));
        }
        for (const auto& post : rig.dialog.Posts()) {
            FUZZ_CHECK(post.message == contract::driver_message::kKeyError && post.wParam == 0 &&
                       (post.lParam == 0 || post.lParam == 1));
        }
        for (const DialogTimer& timer : rig.dialog.TimerStarts()) {
            FUZZ_CHECK(timer == timer::kLeftTaps || timer == timer::kRightTaps ||
                       timer == timer::kCommandRearm || timer == timer::kSecondPenRearm ||
                       timer == timer::kCodeRearm);
        }
        for (const auto& message : rig.CompanionMessages()) {
            FUZZ_CHECK(message.message == contract::companion::kNotice ||
                       message.message == contract::companion::kButtonNotice);
        }
        if (orientationWindow != platform::kNoWindow) {
            for (const auto& message : rig.desktop.MessagesTo(orientationWindow)) {
                FUZZ_CHECK(message.message == platform::wm::kClose && message.wParam == 1 &&
                           message.lParam == 1);
            }
        }
    }

    FuzzedDataProvider& input;
    ReaderRig rig{testing_support::SimMachine::Disk::None};
    std::shared_ptr<RecordingChannel> channel = std::make_shared<RecordingChannel>();
    std::shared_ptr<RecordingChannel> pipe = std::make_shared<RecordingChannel>();
    platform::WindowHandle orientationWindow = platform::kNoWindow;
    bool hidPresent = true;
    int runsEnded = 0;
    int faults = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Harness harness(input);
    harness.Start();
    for (int step = 0; step < 4000 && input.remaining_bytes() > 0; ++step) {
        harness.Step();
    }
    harness.Drain();
    harness.Check();
    return 0;
}
