#include "driver/pointer/mouse_injection.h"

#include <algorithm>
#include <limits>

namespace driver {

using namespace platform::mouse_flags;

std::int32_t ScaleToAbsolute(std::int32_t value, int extent) {
    if (extent <= 0) {
        return 0;
    }
    // Wider product so a far-off point cannot overflow; for points on the
    // screen this is the 32-bit result exactly.
    const std::int64_t scaled = std::int64_t{value} * 65535 / extent;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(scaled, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ScaleToDesktop(std::int32_t value, int extent) {
    if (extent <= 0) {
        return 0;
    }
    // Rounded up: the smallest dx whose cut-off product reaches the pixel.
    const std::int64_t scaled = (std::int64_t{value} * 65536 + extent - 1) / extent;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, 0, 65535));
}

MouseInjector::Placed MouseInjector::Place(std::uint32_t flags, std::int32_t x,
                                           std::int32_t y) const {
    return m_calibration.Read([&](const Calibration& calibration) {
        const BoardScreen& screen = calibration.screen;
        const int width = calibration.grid.ScreenWidth;
        const int height = calibration.grid.ScreenHeight;
        if (screen.primary) {
            return Placed{flags, ScaleToAbsolute(x, width), ScaleToAbsolute(y, height), x, y};
        }
        // The grid reaches the far edge; the pixel there is the neighbour's.
        const std::int32_t inX = std::clamp<std::int32_t>(x, 0, std::max(width - 1, 0));
        const std::int32_t inY = std::clamp<std::int32_t>(y, 0, std::max(height - 1, 0));
        const int left = screen.monitor.left + inX;
        const int top = screen.monitor.top + inY;
        return Placed{flags | kVirtualDesk,
                      ScaleToDesktop(left - screen.desktop.left, screen.desktop.Width()),
                      ScaleToDesktop(top - screen.desktop.top, screen.desktop.Height()), left, top};
    });
}

void MouseInjector::SendCalibrated(std::uint32_t flags, std::int32_t x, std::int32_t y) {
    const Placed placed = Place(flags, x, y);
    m_mouse.MouseEvent(placed.flags, placed.dx, placed.dy);
}

void MouseInjector::MouseMove(std::int32_t x, std::int32_t y) {
    SendCalibrated(kAbsolute | kMove, x, y);
}

void MouseInjector::MouseLeftDown(std::int32_t x, std::int32_t y) {
    SendCalibrated(kAbsolute | kMove | kLeftDown, x, y);
}

void MouseInjector::MouseLeftUp(std::int32_t x, std::int32_t y) {
    SendCalibrated(kAbsolute | kLeftUp, x, y);
}

void MouseInjector::MouseRightClick(std::int32_t x, std::int32_t y) {
    const Placed placed = Place(kAbsolute | kMove | kRightDown | kRightUp, x, y);
    m_mouse.SetCursorPos(placed.cursorX, placed.cursorY);
    m_mouse.MouseEvent(placed.flags, placed.dx, placed.dy);
}

// Mapped like every other touch, so a double tap lands where single taps do
// after the display changed.
void MouseInjector::MouseDoubleClick(std::int32_t x, std::int32_t y) {
    const Placed down = Place(kAbsolute | kLeftDown, x, y);
    const std::uint32_t upFlags = (down.flags & ~kLeftDown) | kLeftUp;
    m_mouse.SetCursorPos(down.cursorX, down.cursorY);
    for (int click = 0; click < 2; ++click) {
        m_mouse.MouseEvent(down.flags, down.dx, down.dy);
        m_mouse.MouseEvent(upFlags, down.dx, down.dy);
    }
}

} // namespace driver
