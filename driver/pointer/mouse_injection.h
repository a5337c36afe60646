#pragma once

#include "driver/pointer/calibration_store.h"
#include "platform/mouse_port.h"

#include <cstdint>

namespace driver {

// dx = x * 65535 / width in 32-bit signed arithmetic. A width of zero or
// less (no screen known yet) scales to 0 rather than dividing by zero.
std::int32_t ScaleToAbsolute(std::int32_t value, int extent);

// The absolute value over the whole desktop that lands on pixel value of
// extent under either rounding the systems use (dx * extent / 65536 cut
// off, or dx * extent / 65535 rounded); 0..65535.
std::int32_t ScaleToDesktop(std::int32_t value, int extent);

// The five mouse actions of the pen, at screen points. Stateless apart from
// the ports, so both the reader and the dialog thread may call them.
class MouseInjector {
public:
    MouseInjector(platform::MousePort& mouse, const CalibrationStore& calibration)
        : m_mouse(mouse), m_calibration(calibration) {}

    void MouseMove(std::int32_t x, std::int32_t y);
    void MouseLeftDown(std::int32_t x, std::int32_t y);
    void MouseLeftUp(std::int32_t x, std::int32_t y);
    void MouseRightClick(std::int32_t x, std::int32_t y);
    void MouseDoubleClick(std::int32_t x, std::int32_t y);

private:
    struct Placed {
        std::uint32_t flags = 0;
        std::int32_t dx = 0;
        std::int32_t dy = 0;
        int cursorX = 0;
        int cursorY = 0;
    };
    // x and y of the board's screen, as absolute input and desktop points.
    Placed Place(std::uint32_t flags, std::int32_t x, std::int32_t y) const;
    void SendCalibrated(std::uint32_t flags, std::int32_t x, std::int32_t y);

    platform::MousePort& m_mouse;
    const CalibrationStore& m_calibration;
};

} // namespace driver
