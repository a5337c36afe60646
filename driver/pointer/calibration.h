#pragma once

#include "platform/display_port.h"

#include <array>
#include <cstdint>

namespace driver {

struct GridPoint {
    double x = 0.0;
    double y = 0.0;
};

inline constexpr int kGridCapacity = 5;
using GridTable = std::array<std::array<GridPoint, kGridCapacity>, kGridCapacity>;

// Index [i][j]: i the column from the left, j the row from the top.
struct CalibrationGrid {
    int ColumnCount = 0;
    int RowCount = 0;
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    GridTable ScreenTargets{};
    GridTable BoardPoints{};
};

// Where the grid's screen lies: the board's monitor on the desktop. On the
// primary monitor the pointer moves as it always has, scaled over that
// monitor alone; elsewhere over the whole desktop.
struct BoardScreen {
    platform::DesktopRect monitor;
    platform::DesktopRect desktop; // the smallest rectangle around every monitor
    bool primary = true;
};

struct ElecButtonPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

inline constexpr int kElecButtonCount = 28;
inline constexpr int kLeftColumnFirst = 0;   // points 0..13
inline constexpr int kRightColumnFirst = 14; // points 14..27
inline constexpr int kColumnButtonCount = 14;

// Everything one load of the settings file produces. The values before the
// first load are the ones the driver starts with.
struct Calibration {
    CalibrationGrid grid; // its screen size is screen.monitor's
    BoardScreen screen;
    std::array<ElecButtonPoint, kElecButtonCount> ElecButtonPoints{};
    std::int32_t ButtonTolerance = 70;
    std::int32_t PenAreaLeft = 7600;
    std::int32_t PenAreaRight = 16500;
};

} // namespace driver
