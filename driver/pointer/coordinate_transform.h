#pragma once

#include "driver/pointer/calibration.h"

#include <cstdint>

namespace driver {

// Maps a board point to a pixel of the primary screen through the cell of
// the grid that holds it. On success x and y become the screen point, in
// 0..ScreenWidth and 0..ScreenHeight inclusive, and the result is true. When
// no cell matches (possible only in the 5 x 4 layout) x and y stay as they
// were and the result is false.
bool BoardToScreen(const CalibrationGrid& grid, std::int32_t& x, std::int32_t& y);

} // namespace driver
