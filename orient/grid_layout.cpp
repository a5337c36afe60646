#include "orient/grid_layout.h"

#include "driver/pointer/load_calibration.h"
#include "driver/pointer/screen_targets.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orient {
namespace {

std::size_t Slot(int value) {
    return static_cast<std::size_t>(value);
}

bool Inside(const GridLayout& layout, GridIndex index) {
    return index.column >= 0 && index.column < layout.columns && index.row >= 0 &&
           index.row < layout.rows;
}

} // namespace

GridLayout LayoutForColumns(int wdot) {
    // The driver clamps the count before its transform chooses by it.
    const int columns = std::clamp(wdot, driver::kMinGridCount, driver::kMaxGridCount);
    switch (columns) {
    case 2:
        return {2, 2};
    case 3:
        return {3, 3};
    default:
        return {5, 4};
    }
}

GridIndex TargetAt(const GridLayout& layout, int k) {
    return {k % layout.columns, k / layout.columns};
}

int OrderOf(const GridLayout& layout, GridIndex index) {
    return index.row * layout.columns + index.column;
}

platform::Point TargetPixel(const GridLayout& layout, GridIndex index, int width, int height) {
    const driver::GridPoint target =
        driver::ScreenTarget(index.column, index.row, layout.columns, layout.rows, width, height);
    // Truncated as the driver truncates what it maps.
    return {static_cast<int>(target.x), static_cast<int>(target.y)};
}

GridIndex NearestTarget(const GridLayout& layout, platform::Point point, int width, int height) {
    GridIndex nearest;
    double best = std::numeric_limits<double>::max();
    for (int k = 0; k < TargetCount(layout); ++k) {
        const GridIndex index = TargetAt(layout, k);
        const platform::Point target = TargetPixel(layout, index, width, height);
        const double distance = std::hypot(target.x - point.x, target.y - point.y);
        if (distance < best) {
            best = distance;
            nearest = index;
        }
    }
    return nearest;
}

bool MeasuredGrid::Has(GridIndex index) const {
    return Inside(m_layout, index) && m_taken[Slot(index.column)][Slot(index.row)];
}

driver::GridPoint MeasuredGrid::At(GridIndex index) const {
    return Inside(m_layout, index) ? m_points[Slot(index.column)][Slot(index.row)]
                                   : driver::GridPoint{};
}

void MeasuredGrid::Set(GridIndex index, driver::GridPoint point) {
    if (Inside(m_layout, index)) {
        m_points[Slot(index.column)][Slot(index.row)] = point;
        m_taken[Slot(index.column)][Slot(index.row)] = true;
    }
}

void MeasuredGrid::Forget(GridIndex index) {
    if (Inside(m_layout, index)) {
        m_taken[Slot(index.column)][Slot(index.row)] = false;
    }
}

bool MeasuredGrid::Complete() const {
    for (int k = 0; k < TargetCount(m_layout); ++k) {
        if (!Has(TargetAt(m_layout, k))) {
            return false;
        }
    }
    return true;
}

bool MeasuredGrid::FitsNeighbours(GridIndex index, driver::GridPoint point) const {
    if (!Inside(m_layout, index) || !std::isfinite(point.x) || !std::isfinite(point.y)) {
        return false;
    }
    const GridIndex left{index.column - 1, index.row};
    const GridIndex right{index.column + 1, index.row};
    const GridIndex above{index.column, index.row - 1};
    const GridIndex below{index.column, index.row + 1};
    return (!Has(left) || At(left).x + kMinNeighbourGap <= point.x) &&
           (!Has(right) || point.x + kMinNeighbourGap <= At(right).x) &&
           (!Has(above) || At(above).y + kMinNeighbourGap <= point.y) &&
           (!Has(below) || point.y + kMinNeighbourGap <= At(below).y);
}

} // namespace orient
