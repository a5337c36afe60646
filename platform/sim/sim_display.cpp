#include "platform/sim/sim_display.h"

#include <utility>

namespace platform {

SimDisplay::SimDisplay(int width, int height) {
    SetPrimaryOnly(width, height);
}

std::vector<MonitorInfo> SimDisplay::Monitors() {
    std::lock_guard lock(m_mutex);
    return m_monitors;
}

void SimDisplay::SetMonitors(std::vector<MonitorInfo> monitors) {
    std::lock_guard lock(m_mutex);
    m_monitors = std::move(monitors);
}

void SimDisplay::SetPrimaryOnly(int width, int height) {
    SetMonitors({Monitor(1, {0, 0, width, height}, true)});
}

MonitorInfo SimDisplay::Monitor(int number, DesktopRect bounds, bool primary) {
    const std::string n = std::to_string(number);
    return MonitorInfo{bounds, primary, "\\\\.\\DISPLAY" + n,
                       "\\\\?\\DISPLAY#SIM000" + n + "#4&1f0a2b3c&0&UID" + n +
                           "#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}"};
}

} // namespace platform
