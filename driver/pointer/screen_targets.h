#pragma once

#include "driver/pointer/calibration.h"

namespace driver {

// Where target [i][j] of a columns x rows grid lies on a width x height
// screen: evenly spaced from 10 % to 90 % of it on both axes. The
// calibration program shows its targets here and the driver maps onto them,
// so both must take them from this one place.
GridPoint ScreenTarget(int i, int j, int columns, int rows, int width, int height);

} // namespace driver
