#pragma once

#include "driver/pointer/calibration_store.h"
#include "driver/pointer/mouse_injection.h"
#include "driver/state/pen_timing.h"
#include "platform/clock_port.h"

#include <cstdint>

namespace driver {

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Turns pen samples into mouse input: left down and up, smoothed moves, a
// right click after a long still press and a double click for a quick
// second tap. One instance per driver; only the reader thread drives it.
class PenStateMachine {
public:
    static constexpr double kDownBox = 5.0;
    static constexpr int kLongPressFrames = 120;
    // A second tap closer than this to the first is taken for the same tap.
    static constexpr std::int64_t kDoubleTapMinSquared = 16;
    static constexpr std::int32_t kSlowBox = 5;
    static constexpr double kNormalWeight = 0.7;
    static constexpr double kSlowWeight = 0.5;

    PenStateMachine(const CalibrationStore& calibration, MouseInjector& mouse,
                    platform::ClockPort& clock)
        : m_calibration(calibration), m_mouse(mouse), m_clock(clock) {}

    // x, y: board units. touching: 1 when the pen is on the surface; any
    // other value is a lift.
    void OnPenPoint(std::int32_t x, std::int32_t y, std::uint8_t touching);

    void TrackMove(std::int32_t x, std::int32_t y);
    void SmoothMove(std::int32_t x, std::int32_t y, double weight);
    static ScreenPoint CombinePair(ScreenPoint first, ScreenPoint second);

    bool PenDown() const { return m_penDown; }

private:
    void PenStaysDown(std::int32_t x, std::int32_t y);
    void PenTouchesDown(std::int32_t x, std::int32_t y);
    void PenLifts(std::int32_t x, std::int32_t y);
    void ResetStroke();

    const CalibrationStore& m_calibration;
    MouseInjector& m_mouse;
    platform::ClockPort& m_clock;

    bool m_penDown = false;
    ScreenPoint m_lastMapped;
    double m_downX = 0.0;
    double m_downY = 0.0;
    int m_holdCount = 0;
    bool m_tapFlag = false;
    std::uint32_t m_lastUpTime = 0;
    ScreenPoint m_lastUp;
    int m_moveCount = 0;
    int m_phase = 0;
    ScreenPoint m_reference;
    bool m_slow = false;
    int m_pairCount = 0;
    ScreenPoint m_held;
    bool m_hasPrevious = false;
    ScreenPoint m_previousOutput;
};

} // namespace driver
