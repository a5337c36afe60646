#include "driver/pointer/board_monitor.h"

#include <algorithm>

namespace driver {

namespace {

using platform::DesktopRect;
using platform::MonitorInfo;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Device IDs are case-blind, and a hand-edited file may differ in case.
bool SameId(const std::string& a, const std::string& b) {
    return !a.empty() && a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace

DesktopRect DesktopAround(const std::vector<MonitorInfo>& monitors) {
    DesktopRect all;
    bool first = true;
    for (const MonitorInfo& m : monitors) {
        if (m.bounds.IsEmpty()) {
            continue;
        }
        if (first) {
            all = m.bounds;
            first = false;
            continue;
        }
        all.left = std::min(all.left, m.bounds.left);
        all.top = std::min(all.top, m.bounds.top);
        all.right = std::max(all.right, m.bounds.right);
        all.bottom = std::max(all.bottom, m.bounds.bottom);
    }
    return all;
}

namespace {

template <typename Match>
const MonitorInfo* FindMonitor(const std::vector<MonitorInfo>& monitors, Match match) {
    const auto found = std::find_if(monitors.begin(), monitors.end(), [&](const MonitorInfo& m) {
        return !m.bounds.IsEmpty() && match(m);
    });
    return found == monitors.end() ? nullptr : &*found;
}

const MonitorInfo* Primary(const std::vector<MonitorInfo>& monitors) {
    const MonitorInfo* primary =
        FindMonitor(monitors, [](const MonitorInfo& m) { return m.primary; });
    return primary != nullptr ? primary
                              : FindMonitor(monitors, [](const MonitorInfo&) { return true; });
}

} // namespace

MonitorBinding BindBoardMonitor(const std::vector<MonitorInfo>& monitors,
                                const common::StoredMonitor& stored) {
    MonitorBinding binding;
    const MonitorInfo* chosen = nullptr;
    switch (stored.state) {
    case common::StoredMonitor::State::None:
        break;
    case common::StoredMonitor::State::Nonsense:
        binding.fallback = stored.problem;
        break;
    case common::StoredMonitor::State::Chosen:
        chosen = FindMonitor(monitors, [&](const MonitorInfo& m) {
            return SameId(m.deviceId, stored.monitor.deviceId);
        });
        if (chosen == nullptr) {
            // Another monitor where the chosen one was is still where the
            // board's picture is.
            chosen = FindMonitor(
                monitors, [&](const MonitorInfo& m) { return m.bounds == stored.monitor.bounds; });
        }
        if (chosen == nullptr) {
            binding.fallback =
                "the board's monitor " + common::DescribeMonitor(stored.monitor) + " is gone";
        }
        break;
    }
    const MonitorInfo* primary = Primary(monitors);
    const MonitorInfo* target = chosen != nullptr ? chosen : primary;
    if (target == nullptr) {
        binding.fallback = "the system lists no monitor";
        return binding;
    }
    binding.screen.monitor = target->bounds;
    binding.screen.desktop = DesktopAround(monitors);
    binding.screen.primary = target->primary && target->bounds.left == 0 && target->bounds.top == 0;
    return binding;
}

BoardScreen BoardScreenLocator::Locate(const std::string& settingsPath) {
    m_lastMonitors = m_display.Monitors();
    MonitorBinding binding =
        BindBoardMonitor(*m_lastMonitors, common::ReadStoredMonitor(m_profile, settingsPath));
    if (binding.fallback != m_lastFallback) {
        if (!binding.fallback.empty()) {
            m_trace.Failure("BoardMonitor", 0,
                            binding.fallback + "; the board maps onto the primary monitor");
        } else if (!m_lastFallback.empty()) {
            m_trace.Failure("BoardMonitor", 0, "the board maps onto its own monitor again");
        }
        m_lastFallback = std::move(binding.fallback);
    }
    return binding.screen;
}

bool BoardScreenLocator::DesktopChanged() {
    return m_lastMonitors && m_display.Monitors() != *m_lastMonitors;
}

} // namespace driver
