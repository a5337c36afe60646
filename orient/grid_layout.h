#pragma once

#include "driver/pointer/calibration.h"
#include "platform/canvas.h"

#include <array>

namespace orient {

// Grid points across and down the screen.
struct GridLayout {
    int columns = 3;
    int rows = 3;
    friend bool operator==(const GridLayout&, const GridLayout&) = default;
};

struct GridIndex {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridIndex&, const GridIndex&) = default;
};

// The layout the driver's transform uses for a "wdot" value, which alone
// chooses it: 2 x 2, 3 x 3, and 5 x 4 for every other count. So a file
// that says 4 x 4 is calibrated, and written back, as the 5 x 4 the driver
// will interpolate.
GridLayout LayoutForColumns(int wdot);

inline int TargetCount(const GridLayout& layout) {
    return layout.columns * layout.rows;
}

// Target k of a run: row by row from the top, left to right within a row.
GridIndex TargetAt(const GridLayout& layout, int k);
int OrderOf(const GridLayout& layout, GridIndex index);

// Target [i][j] on a width x height screen, in whole pixels, by the
// driver's own rule.
platform::Point TargetPixel(const GridLayout& layout, GridIndex index, int width, int height);

// The grid target nearest to a point of the screen.
GridIndex NearestTarget(const GridLayout& layout, platform::Point point, int width, int height);

// Board points taken so far, by [column][row].
class MeasuredGrid {
public:
    // A point must lie this far beyond each neighbour on its axis: a closer
    // one is a second touch of the neighbour's target, and an equal one
    // would leave a cell edge without a slope.
    static constexpr double kMinNeighbourGap = 100.0;

    // Only the layouts the driver interpolates: any other becomes the one
    // its column count stands for.
    explicit MeasuredGrid(GridLayout layout) : m_layout(LayoutForColumns(layout.columns)) {}

    const GridLayout& Layout() const { return m_layout; }
    bool Has(GridIndex index) const;
    driver::GridPoint At(GridIndex index) const;
    void Set(GridIndex index, driver::GridPoint point);
    void Forget(GridIndex index);
    bool Complete() const;

    // False when point would lie on the wrong side of a neighbour that is
    // taken already (left of the one to its left, above the one above it,
    // and so on): the grid would fold, and the driver's cells with it.
    bool FitsNeighbours(GridIndex index, driver::GridPoint point) const;

private:
    GridLayout m_layout;
    driver::GridTable m_points{};
    std::array<std::array<bool, driver::kGridCapacity>, driver::kGridCapacity> m_taken{};
};

} // namespace orient
