#include "orient/verification.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace orient {

Verification::Verification(int width, int height, std::uint32_t seed, platform::Rect keepClear) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> x(width / 10, std::max(width / 10, width - width / 10));
    std::uniform_int_distribution<int> y(height / 10, std::max(height / 10, height - height / 10));
    constexpr int kClearance = 48;
    const platform::Rect avoid{keepClear.left - kClearance, keepClear.top - kClearance,
                               keepClear.right + kClearance, keepClear.bottom + kClearance};
    for (platform::Point& cross : m_crosses) {
        // Bounded: a keepClear that covers everything still gives crosses.
        for (int attempt = 0; attempt < 100; ++attempt) {
            cross = {x(random), y(random)};
            if (!avoid.Contains(cross)) {
                break;
            }
        }
    }
}

std::optional<platform::Point> Verification::Current() const {
    if (Done()) {
        return std::nullopt;
    }
    return m_crosses[static_cast<std::size_t>(m_pressed)];
}

void Verification::Press(platform::Point where) {
    if (!Done()) {
        m_presses[static_cast<std::size_t>(m_pressed++)] = where;
    }
}

Residual Verification::Result() const {
    Residual residual;
    double sum = 0.0;
    for (int k = 0; k < m_pressed; ++k) {
        const platform::Point cross = Cross(k);
        const platform::Point press = PressOf(k);
        const double error = std::hypot(press.x - cross.x, press.y - cross.y);
        sum += error;
        if (error > residual.largest) {
            residual.largest = error;
            residual.worst = k;
        }
    }
    residual.mean = m_pressed > 0 ? sum / m_pressed : 0.0;
    return residual;
}

} // namespace orient
