#pragma once

#include <cstdint>

namespace driver {

// Two taps of one pen make a double tap when the second ends within this
// time of the first and lies within 15 pixels (exclusive) of where the
// first began.
inline constexpr std::uint32_t kDoubleTapMs = 650;
inline constexpr std::int64_t kDoubleTapSquaredPixels = 225;

// The reader pauses this long after telling the companion that a pen button
// is held or released.
inline constexpr std::uint32_t kButtonNoticePauseMs = 200;

} // namespace driver
