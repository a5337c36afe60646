#pragma once

#include "driver/pointer/board_monitor.h"
#include "platform/display_port.h"
#include "platform/mouse_port.h"
#include "platform/sim/sim_mouse.h"

#include <cstdint>
#include <vector>

namespace testing_support {

struct DesktopPoint {
    int x = 0;
    int y = 0;
};

// Where the system puts a recorded mouse call: an absolute event over the
// primary monitor, or over the whole desktop with kVirtualDesk, cut off as
// the input system does; a cursor position as it is.
inline DesktopPoint LandsAt(const platform::MouseRecord& record,
                            const std::vector<platform::MonitorInfo>& monitors) {
    if (record.kind == platform::MouseRecord::Kind::SetCursor) {
        return {record.x, record.y};
    }
    platform::DesktopRect over = driver::DesktopAround(monitors);
    if ((record.flags & platform::mouse_flags::kVirtualDesk) == 0) {
        for (const platform::MonitorInfo& m : monitors) {
            if (m.primary) {
                over = m.bounds;
            }
        }
    }
    const auto scale = [](std::int32_t value, int origin, int extent) {
        return origin + static_cast<int>(std::int64_t{value} * extent / 65536);
    };
    return {scale(record.x, over.left, over.Width()), scale(record.y, over.top, over.Height())};
}

inline bool Inside(DesktopPoint p, const platform::DesktopRect& r) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

} // namespace testing_support
