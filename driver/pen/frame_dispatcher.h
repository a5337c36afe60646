#pragma once

#include "driver/ipc/channel_slot.h"
#include "driver/ipc/companion_window.h"
#include "driver/pen/function_areas.h"
#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/pen_state_machine.h"
#include "driver/state/dialog_requests.h"
#include "driver/state/driver_state.h"
#include "platform/clock_port.h"
#include "platform/message_port.h"

namespace driver {

// Everything the dispatch of one frame reaches.
struct ReaderEnvironment {
    DriverState& state;
    platform::MessagePort& windows;
    platform::ClockPort& clock;
    const CalibrationStore& calibration;
    PenStateMachine& pen;
    CompanionWindow& companion;
    DialogRequests& dialog;
    FunctionAreas& areas;
    const ChannelSlot& currentChannel;  // second-pen screen frames in dual-pen mode
    const ChannelSlot& orientationPipe; // raw frames while the calibration program runs
};

// Routes one received frame: samples to the pointer or the dual-pen
// channel, touches on the board frame to the function areas, buttons and
// keys to the companion and the dialog, identification to the board flags.
// Runs on the reader thread; allocates nothing.
class FrameDispatcher {
public:
    explicit FrameDispatcher(ReaderEnvironment environment) : m_env(environment) {}

    // Frames that fail their check byte are dropped here.
    void Dispatch(const PenFrame& frame);

private:
    void FirstPen(const PenFrame& frame);
    void SecondPen(const PenFrame& frame);
    void Identify(const PenFrame& frame);
    void Orientation(const PenFrame& frame);

    void ButtonClick(const PenFrame& frame, int button);
    void ButtonHeld(const PenFrame& frame, std::atomic<int>& held, platform::WParam notice);
    void ReleaseHeldButtons();
    void WriteSecondPen(const PenFrame& frame, BoardPoint point);
    void SendTouchScreenFrame(const PenFrame& frame, BoardPoint point);
    void SendLiftScreenFrame(const PenFrame& frame, BoardPoint point);
    // False when there is no calibration window to close.
    bool CloseCalibrationWindow();
    // What the calibration program's cancel does: 0x444 with (1, 0).
    void EndOrientationAsCancelled();
    // In place; a point that maps nowhere stays as it was.
    void ToScreen(std::int32_t& x, std::int32_t& y) const;

    ReaderEnvironment m_env;
};

} // namespace driver
