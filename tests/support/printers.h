#pragma once

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_mouse.h"

#include <ostream>

// Readable failure messages for the simulated desktop's records.
namespace platform {

inline void PrintTo(const DesktopRect& r, std::ostream* out) {
    *out << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}

inline void PrintTo(const PostedMessage& m, std::ostream* out) {
    *out << "(0x" << std::hex << m.message << std::dec << ", " << m.wParam << ", " << m.lParam
         << ") at " << m.atMs << " ms";
}

inline void PrintTo(const MouseRecord& r, std::ostream* out) {
    if (r.kind == MouseRecord::Kind::SetCursor) {
        *out << "cursor (" << r.x << ", " << r.y << ")";
    } else {
        *out << "event 0x" << std::hex << r.flags << std::dec << " (" << r.x << ", " << r.y << ")";
    }
}

} // namespace platform
