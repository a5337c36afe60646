#pragma once

#include "platform/display_port.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

// A desktop of monitors a test lays out and changes; one primary monitor of
// the given size until it does.
class SimDisplay : public DisplayPort {
public:
    SimDisplay(int width, int height);

    std::vector<MonitorInfo> Monitors() override;

    void SetMonitors(std::vector<MonitorInfo> monitors);
    // The one-monitor desktop of the constructor, at another size.
    void SetPrimaryOnly(int width, int height);

    // A monitor as the system would name the n-th one (1-based).
    static MonitorInfo Monitor(int number, DesktopRect bounds, bool primary = false);

private:
    mutable std::mutex m_mutex;
    std::vector<MonitorInfo> m_monitors;
};

} // namespace platform
