#include "driver/pen/frame_dispatcher.h"

#include "driver/pen/board_identification.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_ids.h"
#include "driver/state/pen_timing.h"
#include "platform/window_messages.h"

namespace driver {

using namespace pen_status;

void FrameDispatcher::Dispatch(const PenFrame& frame) {
    if (!FrameChecksumOk(frame)) {
        return;
    }
    if (m_env.state.orientationMode != 0) {
        Orientation(frame);
        return;
    }
    switch (frame[0]) {
    case frame_header::kFirstPen:
        FirstPen(frame);
        break;
    case frame_header::kSecondPen:
        SecondPen(frame);
        break;
    default:
        Identify(frame);
        break;
    }
}

void FrameDispatcher::FirstPen(const PenFrame& frame) {
    const std::uint8_t status = frame[2];
    switch (status) {
    case kTouch: {
        const BoardPoint point = DecodeBoardPoint(frame);
        ReleaseHeldButtons();
        if (!m_env.state.functionAreasEnabled ||
            m_env.areas.RouteFirstPenTouch(point) == TouchRoute::Write) {
            m_env.pen.OnPenPoint(point.x, point.y, 1);
        }
        return;
    }
    case kLift: {
        ReleaseHeldButtons();
        const BoardPoint point = DecodeBoardPoint(frame);
        m_env.pen.OnPenPoint(point.x, point.y, 0);
        m_env.state.leftTapArmed = 1;
        m_env.state.rightTapArmed = 1;
        return;
    }
    case kButton1Click:
        ButtonClick(frame, 0);
        return;
    case kButton2Click:
        ButtonClick(frame, 1);
        return;
    case kTouchButton1:
        ButtonHeld(frame, m_env.state.button1Held, 5);
        return;
    case kTouchButton2:
        ButtonHeld(frame, m_env.state.button2Held, 7);
        return;
    case kRightKeyError:
        m_env.dialog.PostToDialog(contract::driver_message::kKeyError, 0, 1);
        return;
    case kLeftKeyError:
        m_env.dialog.PostToDialog(contract::driver_message::kKeyError, 0, 0);
        return;
    default:
        if (IsFirstPenKeyStatus(status)) {
            m_env.areas.OnBoardKey(status);
        }
        return;
    }
}

void FrameDispatcher::ButtonClick(const PenFrame& frame, int button) {
    // One click per pen contact: a Lift arms the next.
    if (m_env.state.leftTapArmed == 0) {
        return;
    }
    BoardPoint point = DecodeBoardPoint(frame);
    ToScreen(point.x, point.y);
    m_env.state.buttonClickX = point.x;
    m_env.state.buttonClickY = point.y;
    m_env.state.leftTapArmed = 0;
    m_env.dialog.StartDialogTimer(timer::kCommandRearm);
    if (m_env.state.buttonClickCount[static_cast<std::size_t>(button)].fetch_add(1) == 0) {
        m_env.dialog.StartDialogTimer(timer::kLeftTaps);
    }
}

void FrameDispatcher::ButtonHeld(const PenFrame& frame, std::atomic<int>& held,
                                 platform::WParam notice) {
    if (held.exchange(1) == 0) {
        m_env.companion.PostFresh(contract::companion::kButtonNotice, notice, 0);
        m_env.clock.Sleep(kButtonNoticePauseMs);
    }
    const BoardPoint point = DecodeBoardPoint(frame);
    m_env.pen.OnPenPoint(point.x, point.y, 1);
}

void FrameDispatcher::ReleaseHeldButtons() {
    if (m_env.state.button1Held.exchange(0) != 0) {
        m_env.companion.PostFresh(contract::companion::kButtonNotice, 6, 0);
        m_env.clock.Sleep(kButtonNoticePauseMs);
    }
    if (m_env.state.button2Held.exchange(0) != 0) {
        m_env.companion.PostFresh(contract::companion::kButtonNotice, 8, 0);
        m_env.clock.Sleep(kButtonNoticePauseMs);
    }
}

void FrameDispatcher::SecondPen(const PenFrame& frame) {
    const BoardPoint point = DecodeBoardPoint(frame);
    switch (frame[2]) {
    case kTouch:
        if (!m_env.state.functionAreasEnabled ||
            m_env.areas.RouteSecondPenTouch(point) == TouchRoute::Write) {
            WriteSecondPen(frame, point);
        }
        return;
    case kLift:
        m_env.state.rightTapArmed = 1;
        m_env.state.leftTapArmed = 1;
        if (m_env.state.dualPenMode != 0) {
            SendLiftScreenFrame(frame, point);
        } else {
            m_env.pen.OnPenPoint(point.x, point.y, 0);
        }
        return;
    default:
        return;
    }
}

void FrameDispatcher::WriteSecondPen(const PenFrame& frame, BoardPoint point) {
    if (m_env.state.dualPenMode != 0) {
        SendTouchScreenFrame(frame, point);
    } else {
        m_env.pen.OnPenPoint(point.x, point.y, 1);
    }
}

void FrameDispatcher::SendTouchScreenFrame(const PenFrame& frame, BoardPoint point) {
    ToScreen(point.x, point.y);
    const PenFrame out = BuildScreenPenFrame(frame, frame[2], point.x, point.y);
    DriverState& state = m_env.state;
    if (state.strokeOpen.exchange(1) == 0) {
        if (state.strokeCount == 0) {
            state.firstStrokeX = point.x;
            state.firstStrokeY = point.y;
        }
        ++state.strokeCount;
    }
    m_env.currentChannel.Write(out);
}

void FrameDispatcher::SendLiftScreenFrame(const PenFrame& frame, BoardPoint point) {
    ToScreen(point.x, point.y);
    std::uint8_t status = kLift;
    DriverState& state = m_env.state;
    if (state.strokeOpen.exchange(0) != 0) {
        const std::uint32_t now = m_env.clock.TickCount();
        if (state.strokeCount == 2) {
            state.strokeCount = 0;
            const std::int64_t dx = std::int64_t{point.x} - state.firstStrokeX;
            const std::int64_t dy = std::int64_t{point.y} - state.firstStrokeY;
            if (now - state.firstLiftTick < kDoubleTapMs &&
                dx * dx + dy * dy < kDoubleTapSquaredPixels) {
                status = kDoubleTap;
            }
        } else {
            state.firstLiftTick = now;
        }
    }
    m_env.currentChannel.Write(BuildScreenPenFrame(frame, status, point.x, point.y));
}

void FrameDispatcher::Identify(const PenFrame& frame) {
    const KnownBoard* board = IdentifyBoard(frame);
    if (board == nullptr) {
        return;
    }
    DriverState& state = m_env.state;
    state.boardIdentified = 1;
    state.functionAreasEnabled = board->features.functionAreas;
    state.dualCapable = board->features.twoPens ? 1 : 0;
    if (state.announcePending.exchange(0) != 0) {
        m_env.companion.Announce(board->features.twoPens);
    }
}

void FrameDispatcher::Orientation(const PenFrame& frame) {
    DriverState& state = m_env.state;
    switch (frame[2]) {
    case kTouch:
        if (state.functionAreasEnabled && state.orientationForwardAll == 0 &&
            m_env.areas.HitsOrientationArea(DecodeBoardPoint(frame))) {
            // The orientation area ends the calibration rather than feeding it.
            if (state.commandArmed.exchange(0) != 0) {
                m_env.dialog.StartDialogTimer(timer::kCommandRearm);
                if (!CloseCalibrationWindow()) {
                    // No calibration program ever came, or it died: without
                    // this every frame would go on into a pipe nobody reads.
                    EndOrientationAsCancelled();
                }
            }
            return;
        }
        m_env.orientationPipe.Write(frame);
        return;
    case kLift:
        m_env.orientationPipe.Write(frame);
        return;
    case 0xD8:
    case 0xF8:
        state.orientationMode = 0;
        CloseCalibrationWindow();
        return;
    default:
        return;
    }
}

bool FrameDispatcher::CloseCalibrationWindow() {
    const platform::WindowHandle window =
        m_env.windows.FindWindow(contract::orientation::kWindowClass, std::nullopt);
    m_env.windows.PostMessage(window, platform::wm::kClose, 1, 1);
    return window != platform::kNoWindow;
}

void FrameDispatcher::EndOrientationAsCancelled() {
    DriverState& state = m_env.state;
    state.orientationMode = 0;
    state.orientationForwardAll = 0;
    m_env.dialog.StartDialogTimer(timer::kCodeRearm);
}

void FrameDispatcher::ToScreen(std::int32_t& x, std::int32_t& y) const {
    m_env.calibration.Read(
        [&](const Calibration& calibration) { return BoardToScreen(calibration.grid, x, y); });
}

} // namespace driver
