#pragma once

#include "driver/pointer/calibration.h"

#include <cmath>

namespace testing_support {

// The board on the primary, only monitor of the given size.
inline driver::BoardScreen PrimaryScreen(int width, int height) {
    return driver::BoardScreen{{0, 0, width, height}, {0, 0, width, height}, true};
}

// A screen of the given size with targets at 10 %..90 % and board points on
// an even lattice: column i at originX + i * stepX, row j at originY + j * stepY.
inline driver::CalibrationGrid RegularGrid(int columns, int rows, int width, int height,
                                           double originX, double originY, double stepX,
                                           double stepY) {
    driver::CalibrationGrid grid;
    grid.ColumnCount = columns;
    grid.RowCount = rows;
    grid.ScreenWidth = width;
    grid.ScreenHeight = height;
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            auto& target =
                grid.ScreenTargets[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            target.x = i * (0.8 * width / (columns - 1)) + 0.1 * width;
            target.y = j * (0.8 * height / (rows - 1)) + 0.1 * height;
            auto& board =
                grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            board.x = originX + i * stepX;
            board.y = originY + j * stepY;
        }
    }
    return grid;
}

// The 3 x 3 grid on 1920 x 1080 whose top-left cell has board corners
// 1000/3000 and screen corners (192, 108)..(960, 540).
inline driver::CalibrationGrid ThreeByThree1920() {
    return RegularGrid(3, 3, 1920, 1080, 1000, 1000, 2000, 2000);
}

// Board units equal screen pixels on a 65535-pixel screen, where absolute
// mouse coordinates equal pixels too: mouse events read as plain points.
inline driver::CalibrationGrid IdentityGrid() {
    driver::CalibrationGrid grid;
    grid.ColumnCount = 2;
    grid.RowCount = 2;
    grid.ScreenWidth = 65535;
    grid.ScreenHeight = 65535;
    const double corners[2] = {0.0, 65536.0};
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
            grid.ScreenTargets[i][j] = {corners[i], corners[j]};
            grid.BoardPoints[i][j] = {corners[i], corners[j]};
        }
    }
    return grid;
}

// A 5 x 4 grid on 1920 x 1080 whose board was fixed turned by one degree
// (lattice from (1150, 1000), steps 3500 across and 2200 down, turned about
// the board's centre). Its cells split on different interior points, so
// thin strips between them map nowhere, such as the one around
// (4593, 5417).
inline driver::CalibrationGrid TurnedFiveByFour() {
    driver::CalibrationGrid grid = RegularGrid(5, 4, 1920, 1080, 1150, 1000, 3500, 2200);
    const double angle = -1.0 * 3.14159265358979323846 / 180.0;
    const double centre = 8192.0;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            auto& point =
                grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            const double dx = point.x - centre;
            const double dy = point.y - centre;
            point = {centre + dx * std::cos(angle) - dy * std::sin(angle),
                     centre + dx * std::sin(angle) + dy * std::cos(angle)};
        }
    }
    return grid;
}

} // namespace testing_support
