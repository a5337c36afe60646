#pragma once

#include "driver/pen/pen_frame.h"

#include <cstdint>

namespace testing_support {

// A frame with header, status and a board point, with its check byte.
inline driver::PenFrame Frame(std::uint8_t header, std::uint8_t status, std::int32_t x = 0,
                              std::int32_t y = 0, std::uint8_t second = 0) {
    const auto rawX = static_cast<std::uint32_t>(0x4000 - x);
    const auto rawY = static_cast<std::uint32_t>(0x4000 - y);
    driver::PenFrame frame = {header,
                              second,
                              status,
                              static_cast<std::uint8_t>((rawX >> 7) & 0x7F),
                              static_cast<std::uint8_t>(rawX & 0x7F),
                              static_cast<std::uint8_t>((rawY >> 7) & 0x7F),
                              static_cast<std::uint8_t>(rawY & 0x7F),
                              0};
    frame[7] = driver::FrameXor(std::span<const std::uint8_t, 7>(frame.data(), 7));
    return frame;
}

} // namespace testing_support
