#pragma once

#include "platform/display_port.h"
#include "platform/profile_port.h"

#include <string>

namespace common {

// What the settings file says of the board's monitor.
struct StoredMonitor {
    enum class State {
        None,     // no choice made: the board shows the primary monitor
        Chosen,   // monitor holds the choice
        Nonsense, // the section cannot be taken; problem says why
    };
    State state = State::None;
    platform::MonitorInfo monitor; // primary is meaningless here
    std::string problem;
};

// The system's own limits: an ID or a name longer than these never came
// from it.
inline constexpr std::size_t kMonitorIdCapacity = 128;
inline constexpr std::size_t kMonitorNameCapacity = 32;

// "\\.\DISPLAY2 1920,0-3200,1024 id <device ID>", as the logs name a monitor.
std::string DescribeMonitor(const platform::MonitorInfo& monitor);

StoredMonitor ReadStoredMonitor(platform::ProfilePort& profile, const std::string& path);

// Replaces the choice; false when the file cannot be written.
bool WriteStoredMonitor(platform::ProfilePort& profile, const std::string& path,
                        const platform::MonitorInfo& monitor);

} // namespace common
