#pragma once

#include "driver/pointer/mouse_injection.h"
#include "driver/settings/button_settings.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_state.h"
#include "platform/clock_port.h"
#include "platform/message_port.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace driver {

// The timers that turn what the reader counted into reports for the
// companion and default mouse actions, and re-open the short gates.
// Dialog thread only; the counters are shared with the reader.
class PenTimers {
public:
    static constexpr std::uint32_t kRightClickWaitMs = 500;

    PenTimers(DriverState& state, platform::MessagePort& windows, platform::ClockPort& clock,
              MouseInjector& mouse, const ButtonSettings& buttons, DialogTimers& timers)
        : m_state(state), m_windows(windows), m_clock(clock), m_mouse(mouse), m_buttons(buttons),
          m_timers(timers) {}

    // True when the timer is one of these; false leaves it to the caller.
    bool OnTimer(std::uintptr_t timerId);

    void LeftTapsAndButtons(); // timer 67
    void RightTaps();          // timer 68
    void DefaultAction();      // timer 114

private:
    // Reports the lowest tap area of the side with a pending count; any
    // report drops the side's other counts.
    void ResolveTaps(int side, platform::WindowHandle companion, platform::LParam lParam);
    void ReportButton(int button, platform::WindowHandle companion);
    bool ForegroundIs(std::string_view className);
    void ForgetReportedClicks() { m_reportedClicks = {}; }

    DriverState& m_state;
    platform::MessagePort& m_windows;
    platform::ClockPort& m_clock;
    MouseInjector& m_mouse;
    const ButtonSettings& m_buttons;
    DialogTimers& m_timers;
    // The clicks of each button that the last report told the companion
    // about: its default action follows them, not clicks counted since,
    // which make a group of their own.
    std::array<int, 2> m_reportedClicks{};
};

} // namespace driver
