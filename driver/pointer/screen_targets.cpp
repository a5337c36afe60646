#include "driver/pointer/screen_targets.h"

namespace driver {

GridPoint ScreenTarget(int i, int j, int columns, int rows, int width, int height) {
    const double w = width;
    const double h = height;
    const double columnStep = 0.8 * w / (columns - 1);
    const double rowStep = 0.8 * h / (rows - 1);
    return {i * columnStep + 0.1 * w, j * rowStep + 0.1 * h};
}

} // namespace driver
