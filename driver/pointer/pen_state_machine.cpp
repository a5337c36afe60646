#include "driver/pointer/pen_state_machine.h"

#include "driver/pointer/coordinate_transform.h"

#include <cmath>
#include <cstdlib>

namespace driver {

void PenStateMachine::OnPenPoint(std::int32_t x, std::int32_t y, std::uint8_t touching) {
    const bool mapped = m_calibration.Read(
        [&](const Calibration& calibration) { return BoardToScreen(calibration.grid, x, y); });
    if (touching == 1) {
        // A touch that maps nowhere is dropped; the stroke goes on from the
        // last point that mapped.
        if (!mapped) {
            return;
        }
        m_lastMapped = {x, y};
        if (m_penDown) {
            PenStaysDown(x, y);
        } else {
            PenTouchesDown(x, y);
        }
        return;
    }
    // A lift always ends the contact, or the button would stay down and the
    // next strokes would drag whatever lies under the pointer.
    ResetStroke();
    if (m_penDown) {
        const ScreenPoint at = mapped ? ScreenPoint{x, y} : m_lastMapped;
        PenLifts(at.x, at.y);
    }
}

void PenStateMachine::ResetStroke() {
    m_moveCount = 0;
    m_pairCount = 0;
    m_phase = 0;
    m_hasPrevious = false;
}

void PenStateMachine::PenStaysDown(std::int32_t x, std::int32_t y) {
    if (std::fabs(x - m_downX) < kDownBox && std::fabs(y - m_downY) < kDownBox) {
        ++m_holdCount;
    } else {
        m_holdCount = 0;
        m_tapFlag = false;
    }
    if (m_holdCount > kLongPressFrames) {
        m_mouse.MouseLeftDown(x, y);
        m_mouse.MouseLeftUp(x, y);
        m_mouse.MouseRightClick(x, y);
        m_holdCount = 0;
    }
    TrackMove(x, y);
}

void PenStateMachine::PenTouchesDown(std::int32_t x, std::int32_t y) {
    m_mouse.MouseLeftDown(x, y);
    m_penDown = true;
    m_downX = x;
    m_downY = y;
    ResetStroke();
}

void PenStateMachine::PenLifts(std::int32_t x, std::int32_t y) {
    m_penDown = false;
    m_mouse.MouseLeftUp(x, y);
    const std::uint32_t now = m_clock.TickCount();
    if (m_tapFlag) {
        m_tapFlag = false;
        if (now - m_lastUpTime < kDoubleTapMs) {
            const std::int64_t dx = std::int64_t{x} - m_lastUp.x;
            const std::int64_t dy = std::int64_t{y} - m_lastUp.y;
            const std::int64_t squared = dx * dx + dy * dy;
            if (squared > kDoubleTapMinSquared && squared < kDoubleTapSquaredPixels) {
                m_mouse.MouseDoubleClick(static_cast<std::int32_t>(m_downX),
                                         static_cast<std::int32_t>(m_downY));
            }
        }
    }
    m_tapFlag = true;
    m_lastUpTime = now;
    m_lastUp = {x, y};
    m_holdCount = 0;
}

void PenStateMachine::TrackMove(std::int32_t x, std::int32_t y) {
    if (m_moveCount == 0) {
        m_moveCount = 1;
        m_mouse.MouseMove(x, y);
        ++m_phase;
        return;
    }
    if (m_phase == 1) {
        m_reference = {x, y};
    } else if (m_phase == 4) {
        m_phase = 0;
        m_slow = std::abs(x - m_reference.x) < kSlowBox && std::abs(y - m_reference.y) < kSlowBox;
    }
    if (m_slow) {
        if (m_pairCount == 1) {
            const ScreenPoint combined = CombinePair(m_held, {x, y});
            SmoothMove(combined.x, combined.y, kSlowWeight);
            m_pairCount = 0;
        } else {
            m_held = {x, y};
            m_pairCount = 1;
        }
    } else {
        m_pairCount = 0;
        SmoothMove(x, y, kNormalWeight);
    }
    ++m_phase;
}

void PenStateMachine::SmoothMove(std::int32_t x, std::int32_t y, double weight) {
    ScreenPoint out{x, y};
    if (m_hasPrevious) {
        out.x = static_cast<std::int32_t>(weight * x + (1 - weight) * m_previousOutput.x);
        out.y = static_cast<std::int32_t>(weight * y + (1 - weight) * m_previousOutput.y);
    } else {
        m_hasPrevious = true;
    }
    m_previousOutput = out;
    m_mouse.MouseMove(out.x, out.y);
}

ScreenPoint PenStateMachine::CombinePair(ScreenPoint first, ScreenPoint second) {
    const auto combine = [](std::int32_t a, std::int32_t b) {
        return (a + b) / 2 + std::abs(b - a) / 2;
    };
    return {combine(first.x, second.x), combine(first.y, second.y)};
}

} // namespace driver
