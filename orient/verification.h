#pragma once

#include "platform/canvas.h"

#include <array>
#include <cstdint>
#include <optional>

namespace orient {

struct Residual {
    double mean = 0.0;    // pixels
    double largest = 0.0; // pixels
    int worst = 0;        // the cross with the largest error
};

// The check after a calibration: crosses at random places inside the area
// the targets span, and where the pen's press landed for each. The pen
// reaches this window only through the driver's new grid, so what is left
// between cross and press is the calibration's own error.
class Verification {
public:
    static constexpr int kCrossCount = 5;

    // No cross comes near keepClear, where a press would work a button.
    Verification(int width, int height, std::uint32_t seed, platform::Rect keepClear = {});

    // The cross to press next; none once all are pressed.
    std::optional<platform::Point> Current() const;
    int Pressed() const { return m_pressed; }
    void Press(platform::Point where);
    bool Done() const { return m_pressed == kCrossCount; }

    platform::Point Cross(int k) const { return m_crosses[static_cast<std::size_t>(k)]; }
    platform::Point PressOf(int k) const { return m_presses[static_cast<std::size_t>(k)]; }
    // Of the crosses pressed so far.
    Residual Result() const;

private:
    std::array<platform::Point, kCrossCount> m_crosses{};
    std::array<platform::Point, kCrossCount> m_presses{};
    int m_pressed = 0;
};

} // namespace orient
