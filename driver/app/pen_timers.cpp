#include "driver/app/pen_timers.h"

#include "driver/pen/function_areas.h"
#include "driver/state/driver_ids.h"

#include <array>
#include <optional>

namespace driver {

using platform::LParam;
using platform::WindowHandle;
using platform::WParam;

namespace {

// Windows in front of which a pen-button right click would disturb the
// companion's own tools.
constexpr std::array<std::string_view, 4> kCompanionToolClasses = {
    contract::companion::kToolClass, "wb_lamu", "wb_spotlight", "ThunderRT6FormDC"};
constexpr LParam kButtonCommandLParam = 100;
constexpr WParam kButton2DoubleFallbackCode = 33;

} // namespace

bool PenTimers::OnTimer(std::uintptr_t timerId) {
    switch (timerId) {
    case timer::kLeftTaps.id:
        LeftTapsAndButtons();
        return true;
    case timer::kRightTaps.id:
        RightTaps();
        return true;
    case timer::kButtonDefaultAction.id:
        DefaultAction();
        return true;
    case timer::kCommandRearm.id:
        m_timers.Stop(timer::kCommandRearm);
        m_state.commandArmed = 1;
        return true;
    case timer::kSecondPenRearm.id:
        m_timers.Stop(timer::kSecondPenRearm);
        return true;
    case timer::kCodeRearm.id:
        m_timers.Stop(timer::kCodeRearm);
        m_state.codePermitted = 1;
        return true;
    default:
        return false;
    }
}

void PenTimers::ResolveTaps(int side, WindowHandle companion, LParam lParam) {
    auto& counters = m_state.tapCount[static_cast<std::size_t>(side)];
    for (std::size_t i = 0; i < counters.size(); ++i) {
        // Read and cleared in one step, so a tap counted meanwhile is never lost
        // between the reading and the clearing.
        const int count = counters[i].exchange(0);
        if (count == 0) {
            continue;
        }
        for (auto& other : counters) {
            other.exchange(0);
        }
        const function_area::Action& area = function_area::kActions[4 + i];
        if (count >= 2) {
            m_windows.PostMessage(companion, contract::companion::kNotice, area.doubleTapCode,
                                  lParam);
        }
        m_windows.PostMessage(companion, contract::companion::kNotice, area.code, lParam);
        return;
    }
}

void PenTimers::LeftTapsAndButtons() {
    const WindowHandle companion =
        m_windows.FindWindow(contract::companion::kMainClass, contract::companion::kMainTitle);
    ResolveTaps(function_area::kLeft, companion, function_area::kSideLParam[0]);
    ReportButton(0, companion);
    ReportButton(1, companion);
    m_timers.Stop(timer::kLeftTaps);
}

void PenTimers::RightTaps() {
    const WindowHandle companion =
        m_windows.FindWindow(contract::companion::kMainClass, contract::companion::kMainTitle);
    ResolveTaps(function_area::kRight, companion, function_area::kSideLParam[1]);
    m_timers.Stop(timer::kRightTaps);
}

void PenTimers::ReportButton(int button, WindowHandle companion) {
    // Taken out in one step: a click counted after this report starts a new
    // group with a timer of its own instead of changing this one's action.
    const int count = m_state.buttonClickCount[static_cast<std::size_t>(button)].exchange(0);
    if (count == 0) {
        return;
    }
    const bool twice = count >= 2;
    if (button == 1 && twice &&
        m_windows.FindWindow(contract::companion::kToolClass, std::nullopt) == 0) {
        m_windows.PostMessage(companion, contract::companion::kNotice, kButton2DoubleFallbackCode,
                              0);
        return;
    }
    m_reportedClicks[static_cast<std::size_t>(button)] += count;
    if (m_buttons.m_fixedButtonCodes != 0) {
        // Fixed codes: 1 and 2 for button 1, 3 and 4 for button 2.
        const int code = button * 2 + (twice ? 2 : 1);
        m_windows.PostMessage(companion, contract::companion::kButtonNotice,
                              static_cast<WParam>(code), 0);
    } else {
        const int command = button == 0 ? m_buttons.m_button1Command : m_buttons.m_button2Command;
        m_windows.PostMessage(companion, contract::companion::kNotice, static_cast<WParam>(command),
                              kButtonCommandLParam);
    }
    m_timers.Start(timer::kButtonDefaultAction);
}

bool PenTimers::ForegroundIs(std::string_view className) {
    const WindowHandle window = m_windows.FindWindow(className, std::nullopt);
    return window != platform::kNoWindow && window == m_windows.GetForegroundWindow();
}

void PenTimers::DefaultAction() {
    m_timers.Stop(timer::kButtonDefaultAction);
    if (m_state.defaultActionArmed.exchange(1) == 0) {
        // The companion claimed this click within the delay.
        ForgetReportedClicks();
        return;
    }
    const std::int32_t x = m_state.buttonClickX;
    const std::int32_t y = m_state.buttonClickY;
    const bool fixed = m_buttons.m_fixedButtonCodes != 0;

    const int button1 = m_reportedClicks[0];
    if (button1 == 1) {
        m_mouse.MouseLeftDown(x, y);
        m_mouse.MouseLeftUp(x, y);
    } else if (button1 >= 2) {
        if (fixed || !ForegroundIs(contract::companion::kToolClass)) {
            m_mouse.MouseDoubleClick(x, y);
        }
    }

    const int button2 = m_reportedClicks[1];
    if (button2 == 1) {
        bool toolInFront = false;
        if (!fixed) {
            // Lets a tool window of the companion come to the front first.
            m_clock.Sleep(kRightClickWaitMs);
            for (const std::string_view className : kCompanionToolClasses) {
                toolInFront = toolInFront || ForegroundIs(className);
            }
        }
        if (!toolInFront) {
            m_mouse.MouseLeftDown(x, y);
            m_mouse.MouseLeftUp(x, y);
            m_mouse.MouseRightClick(x, y);
        }
    }
    ForgetReportedClicks();
}

} // namespace driver
