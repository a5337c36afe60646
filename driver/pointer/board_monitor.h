#pragma once

#include "common/board_monitor_record.h"
#include "driver/pointer/calibration.h"
#include "platform/display_port.h"
#include "platform/profile_port.h"
#include "platform/trace_port.h"

#include <optional>
#include <string>
#include <vector>

namespace driver {

struct MonitorBinding {
    BoardScreen screen;
    // Why the board does not show the stored monitor; empty when it does or
    // when none was chosen.
    std::string fallback;
};

// The smallest rectangle around every monitor with an area: the desktop
// that absolute input over the whole desktop spans.
platform::DesktopRect DesktopAround(const std::vector<platform::MonitorInfo>& monitors);

// The stored choice found among today's monitors: by device ID, else by its
// rectangle, else the primary monitor.
MonitorBinding BindBoardMonitor(const std::vector<platform::MonitorInfo>& monitors,
                                const common::StoredMonitor& stored);

// Finds the board's screen each time the calibration or the desktop
// changes, and says in the trace when that is not the chosen monitor (once,
// not at every search for a board). Dialog thread only.
class BoardScreenLocator {
public:
    BoardScreenLocator(platform::DisplayPort& display, platform::ProfilePort& profile,
                       platform::TracePort& trace)
        : m_display(display), m_profile(profile), m_trace(trace) {}

    BoardScreen Locate(const std::string& settingsPath);
    // The monitors differ from those the last Locate saw; false before the
    // first. Some systems change them without telling hidden windows.
    bool DesktopChanged();

private:
    platform::DisplayPort& m_display;
    platform::ProfilePort& m_profile;
    platform::TracePort& m_trace;
    std::string m_lastFallback;
    std::optional<std::vector<platform::MonitorInfo>> m_lastMonitors;
};

} // namespace driver
