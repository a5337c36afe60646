#pragma once

#include "driver/pen/pen_frame.h"

#include <array>
#include <cstdint>
#include <span>

namespace driver {

inline constexpr std::size_t kHidReportSize = 21;
using HidReport = std::array<std::uint8_t, kHidReportSize>;

// Report number 2, frame length 8, the start command, zero padding.
inline constexpr HidReport hidStartReport = {0x02, 0x08, 0xCE};

// The frame sits in bytes 2 to 9 of an input report; the rest is padding.
PenFrame FrameFromHidReport(std::span<const std::uint8_t, kHidReportSize> report);

} // namespace driver
