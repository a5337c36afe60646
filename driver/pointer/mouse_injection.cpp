#include "driver/pointer/mouse_injection.h"

#include <algorithm>
#include <limits>
#include <utility>

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

void MouseInjector::SendCalibrated(std::uint32_t flags, std::int32_t x, std::int32_t y) {
    const auto [width, height] = m_calibration.Read([](const Calibration& calibration) {
        return std::pair{calibration.grid.ScreenWidth, calibration.grid.ScreenHeight};
    });
    m_mouse.MouseEvent(flags, ScaleToAbsolute(x, width), ScaleToAbsolute(y, height));
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
    m_mouse.SetCursorPos(x, y);
    SendCalibrated(kAbsolute | kMove | kRightDown | kRightUp, x, y);
}

void MouseInjector::MouseDoubleClick(std::int32_t x, std::int32_t y) {
    m_mouse.SetCursorPos(x, y);
    const std::int32_t dx = ScaleToAbsolute(x, m_mouse.ScreenWidth());
    const std::int32_t dy = ScaleToAbsolute(y, m_mouse.ScreenHeight());
    for (int click = 0; click < 2; ++click) {
        m_mouse.MouseEvent(kAbsolute | kLeftDown, dx, dy);
        m_mouse.MouseEvent(kAbsolute | kLeftUp, dx, dy);
    }
}

} // namespace driver
