#include "driver/pointer/coordinate_transform.h"

#include <array>
#include <cmath>
#include <optional>

namespace driver {
namespace {

struct Cell {
    int a = 0; // column of the top-left corner
    int b = 0; // row of the top-left corner
};

// One split value: an interior grid point whose x or y bounds a cell.
struct Split {
    int i = -1;
    int j = -1;
    bool Present() const { return i >= 0; }
};

constexpr Split kNone{};

// Cell choice of the 5 x 4 layout, tried in order; a bound is inclusive
// below and exclusive above. Neighbouring cells may split on different
// interior points, so a point can miss every row.
struct CellRule {
    Cell cell;
    Split xLow, xHigh, yLow, yHigh;
};

constexpr std::array<CellRule, 12> kFiveByFourRules = {{
    {{0, 0}, kNone, {1, 1}, kNone, {1, 1}},
    {{0, 1}, kNone, {1, 1}, {1, 1}, {1, 2}},
    {{0, 2}, kNone, {1, 2}, {1, 2}, kNone},
    {{1, 0}, {1, 1}, {2, 1}, kNone, {2, 1}},
    {{1, 1}, {1, 1}, {2, 1}, {2, 1}, {2, 2}},
    {{1, 2}, {1, 2}, {2, 2}, {2, 2}, kNone},
    {{2, 0}, {2, 1}, {3, 1}, kNone, {3, 1}},
    {{2, 1}, {2, 1}, {3, 1}, {3, 1}, {3, 2}},
    {{2, 2}, {2, 2}, {3, 2}, {3, 2}, kNone},
    {{3, 0}, {3, 1}, kNone, kNone, {3, 1}},
    {{3, 1}, {3, 1}, kNone, {3, 1}, {3, 2}},
    {{3, 2}, {3, 2}, kNone, {3, 2}, kNone},
}};

const GridPoint& At(const GridTable& table, int i, int j) {
    return table[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
}

bool InRange(double value, const GridTable& board, Split low, Split high, double GridPoint::*axis) {
    if (low.Present() && !(value >= At(board, low.i, low.j).*axis)) {
        return false;
    }
    return !high.Present() || value < At(board, high.i, high.j).*axis;
}

std::optional<Cell> SelectCell(const CalibrationGrid& grid, double x, double y) {
    if (grid.ColumnCount == 2) {
        return Cell{0, 0};
    }
    const GridTable& board = grid.BoardPoints;
    if (grid.ColumnCount == 3) {
        // Points on a split line belong to the left or upper cell.
        const GridPoint& centre = At(board, 1, 1);
        return Cell{x <= centre.x ? 0 : 1, y <= centre.y ? 0 : 1};
    }
    for (const CellRule& rule : kFiveByFourRules) {
        if (InRange(x, board, rule.xLow, rule.xHigh, &GridPoint::x) &&
            InRange(y, board, rule.yLow, rule.yHigh, &GridPoint::y)) {
            return rule.cell;
        }
    }
    return std::nullopt;
}

double Distance(double x0, double y0, double x1, double y1) {
    return std::sqrt((x0 - x1) * (x0 - x1) + (y0 - y1) * (y0 - y1));
}

// Truncation toward zero, then into 0..limit; not-a-number and far
// extrapolation end on the screen too.
std::int32_t ToScreen(double value, int limit) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    value = std::trunc(value);
    if (value > limit) {
        value = limit;
    }
    if (value < 0.0) {
        value = 0.0;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

bool BoardToScreen(const CalibrationGrid& grid, std::int32_t& x, std::int32_t& y) {
    const double px = x;
    const double py = y;
    const std::optional<Cell> cell = SelectCell(grid, px, py);
    if (!cell) {
        return false;
    }
    const GridTable& board = grid.BoardPoints;
    const GridTable& screen = grid.ScreenTargets;
    const int a = cell->a;
    const int b = cell->b;
    const GridPoint& p00 = At(board, a, b);
    const GridPoint& p10 = At(board, a + 1, b);
    const GridPoint& p01 = At(board, a, b + 1);
    const GridPoint& p11 = At(board, a + 1, b + 1);
    const GridPoint& s00 = At(screen, a, b);
    const GridPoint& s10 = At(screen, a + 1, b);
    const GridPoint& s01 = At(screen, a, b + 1);
    const GridPoint& s11 = At(screen, a + 1, b + 1);

    // Board y of the top and bottom edges at abscissa px.
    const double k1 = (p00.y - p10.y) / (p00.x - p10.x);
    const double c1 = (p00.x * p10.y - p10.x * p00.y) / (p00.x - p10.x);
    const double y1 = k1 * px + c1;
    const double k2 = (p01.y - p11.y) / (p01.x - p11.x);
    const double c2 = (p01.x * p11.y - p11.x * p01.y) / (p01.x - p11.x);
    const double y2 = k2 * px + c2;

    // Board units per pixel along each edge.
    const double r1 = Distance(p00.x, p00.y, p10.x, p10.y) / std::fabs(s00.x - s10.x);
    const double r2 = Distance(p01.x, p01.y, p11.x, p11.y) / std::fabs(s11.x - s01.x);

    const double d1 = Distance(px, y1, p00.x, p00.y);
    const double x1 = p00.x <= px ? s00.x + d1 / r1 : s00.x - d1 / r1;
    const double d2 = Distance(px, y2, p11.x, p11.y);
    const double x2 = p11.x <= px ? s11.x + d2 / r2 : s11.x - d2 / r2;

    double screenX = 0.0;
    double screenY = 0.0;
    if (py == y2) {
        screenX = x2;
        screenY = s11.y;
    } else {
        const double t = (py - y1) / (y2 - py);
        screenX = (t * x2 + x1) / (1 + t);
        screenY = (t * s11.y + s00.y) / (1 + t);
    }
    x = ToScreen(screenX, grid.ScreenWidth);
    y = ToScreen(screenY, grid.ScreenHeight);
    return true;
}

} // namespace driver
