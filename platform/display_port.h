#pragma once

#include <string>
#include <vector>

namespace platform {

// A rectangle on the desktop, right and bottom exclusive, as the system
// gives monitor bounds. The primary monitor's top left is 0,0; others may
// lie at negative coordinates.
struct DesktopRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const DesktopRect&, const DesktopRect&) = default;
};

struct MonitorInfo {
    DesktopRect bounds;
    bool primary = false;
    std::string deviceName; // "\\.\DISPLAYn": the adapter output, renumbered at will
    std::string deviceId;   // the monitor's device-interface path, kept across restarts
    friend bool operator==(const MonitorInfo&, const MonitorInfo&) = default;
};

// The monitors of the desktop, in physical pixels for a program that is
// aware of each monitor's scaling.
class DisplayPort {
public:
    virtual ~DisplayPort() = default;

    // In the system's order; empty only when the system gives nothing.
    virtual std::vector<MonitorInfo> Monitors() = 0;
};

} // namespace platform
