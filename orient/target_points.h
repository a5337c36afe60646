#pragma once

#include "orient/grid_layout.h"

namespace orient {

// The driver's targets are points of the screen (192.0, 108.0 on a 1920 x
// 1080 screen); a cross is drawn on a pixel, whose centre lies up to a
// pixel further on, and there the pen touches it. Each board point moves
// back by that much, along the grid's own slope at it, to the target point
// proper: so a pen on a pixel's centre maps into that pixel and not onto its
// edge, where a board unit of noise tips it into the pixel before. A grid
// that is not complete comes back as it is.
MeasuredGrid AtTargetPoints(const MeasuredGrid& touched, int width, int height);

} // namespace orient
