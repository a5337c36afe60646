#include "orient/target_points.h"

#include "driver/pointer/screen_targets.h"

#include <algorithm>

namespace orient {

MeasuredGrid AtTargetPoints(const MeasuredGrid& touched, int width, int height) {
    if (!touched.Complete()) {
        return touched;
    }
    const GridLayout& layout = touched.Layout();
    const auto exact = [&](int i, int j) {
        return driver::ScreenTarget(i, j, layout.columns, layout.rows, width, height);
    };
    MeasuredGrid moved = touched;
    for (int i = 0; i < layout.columns; ++i) {
        for (int j = 0; j < layout.rows; ++j) {
            // Board units per pixel along the screen's x and y, from the
            // neighbours on either side (one side at the grid's edge).
            const int left = std::max(i - 1, 0);
            const int right = std::min(i + 1, layout.columns - 1);
            const int above = std::max(j - 1, 0);
            const int below = std::min(j + 1, layout.rows - 1);
            // Pixels between the neighbours' crosses, where they were touched.
            const int across = TargetPixel(layout, {right, j}, width, height).x -
                               TargetPixel(layout, {left, j}, width, height).x;
            const int down = TargetPixel(layout, {i, below}, width, height).y -
                             TargetPixel(layout, {i, above}, width, height).y;
            if (across <= 0 || down <= 0) {
                return touched; // a screen too small to tell the targets apart
            }
            const driver::GridPoint a = touched.At({left, j});
            const driver::GridPoint b = touched.At({right, j});
            const driver::GridPoint c = touched.At({i, above});
            const driver::GridPoint d = touched.At({i, below});
            const platform::Point pixel = TargetPixel(layout, {i, j}, width, height);
            const double offX = pixel.x + 0.5 - exact(i, j).x;
            const double offY = pixel.y + 0.5 - exact(i, j).y;
            const driver::GridPoint point = touched.At({i, j});
            moved.Set({i, j}, {point.x - (b.x - a.x) / across * offX - (d.x - c.x) / down * offY,
                               point.y - (b.y - a.y) / across * offX - (d.y - c.y) / down * offY});
        }
    }
    return moved;
}

} // namespace orient
