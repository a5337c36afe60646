#include "driver/pointer/coordinate_transform.h"

#include "tests/support/grids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace driver {
namespace {

using testing_support::RegularGrid;
using testing_support::ThreeByThree1920;

struct Mapped {
    bool ok;
    std::int32_t x, y;
    friend bool operator==(const Mapped&, const Mapped&) = default;
};

Mapped Map(const CalibrationGrid& grid, std::int32_t x, std::int32_t y) {
    const bool ok = BoardToScreen(grid, x, y);
    return {ok, x, y};
}

void PrintTo(const Mapped& m, std::ostream* os) {
    *os << (m.ok ? "ok" : "fail") << " (" << m.x << ", " << m.y << ")";
}

GridPoint& Board(CalibrationGrid& grid, int i, int j) {
    return grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
}

TEST(BoardToScreen, TopLeftCellOfThreeByThree) {
    const CalibrationGrid grid = ThreeByThree1920();
    EXPECT_EQ(Map(grid, 2000, 2000), (Mapped{true, 576, 324}));
    EXPECT_EQ(Map(grid, 1500, 1200), (Mapped{true, 384, 151})); // Y 151.2, truncated
    EXPECT_EQ(Map(grid, 2000, 3000), (Mapped{true, 576, 540})); // on the bottom edge
    EXPECT_EQ(Map(grid, 500, 500), (Mapped{true, 0, 0}));       // beyond the corner
}

TEST(BoardToScreen, ClampsToTheScreenItselfAndTruncates) {
    const CalibrationGrid grid = ThreeByThree1920(); // 0.384 px per board unit
    EXPECT_EQ(Map(grid, 5200, 3000).x, 1804);        // 1804.8
    EXPECT_EQ(Map(grid, 5500, 3000).x, 1920);        // exactly the width stays
    EXPECT_EQ(Map(grid, 9000, 3000).x, 1920);
    EXPECT_EQ(Map(grid, 3000, 9000).y, 1080);
    EXPECT_EQ(Map(grid, 499, 3000).x, 0); // -0.384
    EXPECT_EQ(Map(grid, -20000, -20000), (Mapped{true, 0, 0}));
}

// Makes the cells on one side of column 1 degenerate, so that which side a
// boundary point is mapped through shows in the result.
TEST(BoardToScreen, ThreeByThreeSplitLinesBelongToTheLeftAndUpperCells) {
    CalibrationGrid grid = ThreeByThree1920();
    for (int j = 0; j < 3; ++j) {
        Board(grid, 2, j) = Board(grid, 1, j); // right cells: zero-width edges
    }
    EXPECT_EQ(Map(grid, 3000, 2000), (Mapped{true, 960, 324}));
    EXPECT_EQ(Map(grid, 3001, 2000), (Mapped{true, 0, 0}));

    grid = ThreeByThree1920();
    for (int i = 0; i < 3; ++i) {
        Board(grid, i, 2) = Board(grid, i, 1); // lower cells: zero-height
    }
    EXPECT_EQ(Map(grid, 2000, 3000), (Mapped{true, 576, 540}));
    EXPECT_EQ(Map(grid, 2000, 3001), (Mapped{true, 0, 0}));
}

CalibrationGrid FiveByFour() {
    CalibrationGrid grid = RegularGrid(5, 4, 1024, 768, 1000, 1000, 2000, 2000);
    grid.ColumnCount = 5;
    return grid;
}

TEST(BoardToScreen, FiveByFourSplitValuesBelongToTheRightCell) {
    CalibrationGrid grid = FiveByFour();
    for (int j = 0; j < 4; ++j) {
        Board(grid, 0, j) = Board(grid, 1, j); // column-0 cells degenerate
    }
    const Mapped onSplit = Map(grid, 3000, 4000);
    EXPECT_TRUE(onSplit.ok);
    EXPECT_NE(onSplit.x, 0) << "mapped through a cell of column 0";
    EXPECT_EQ(Map(grid, 2999, 4000), (Mapped{true, 0, 0}));
}

TEST(BoardToScreen, FiveByFourGapMatchesNoCell) {
    CalibrationGrid grid = FiveByFour();
    Board(grid, 1, 2).x = 2800; // Bx(1,2) < Bx(1,1) = 3000
    Board(grid, 2, 2).y += 100; // By(2,2) > By(1,2) = 5000
    EXPECT_EQ(Map(grid, 2900, 5050), (Mapped{false, 2900, 5050}));
    EXPECT_TRUE(Map(grid, 3000, 5050).ok);
    EXPECT_TRUE(Map(grid, 2900, 5100).ok);
}

TEST(BoardToScreen, EveryPointOfARegularFiveByFourGridFindsACell) {
    const CalibrationGrid grid = FiveByFour();
    for (std::int32_t x = 0; x <= 12000; x += 250) {
        for (std::int32_t y = 0; y <= 9000; y += 250) {
            EXPECT_TRUE(Map(grid, x, y).ok) << x << ", " << y;
        }
    }
}

TEST(BoardToScreen, TwoByTwoNeverReadsTheRowCount) {
    CalibrationGrid grid = RegularGrid(2, 2, 1920, 1080, 1000, 1000, 4000, 4000);
    const Mapped expected = Map(grid, 2500, 3100);
    for (int rows : {0, 1, 3, 5, 99, -7}) {
        grid.RowCount = rows;
        EXPECT_EQ(Map(grid, 2500, 3100), expected) << "rows " << rows;
    }
}

TEST(BoardToScreen, DegenerateAndAbsurdGridsStillLandOnTheScreen) {
    CalibrationGrid zero; // what a missing settings file gives
    zero.ColumnCount = 3;
    zero.ScreenWidth = 1920;
    zero.ScreenHeight = 1080;
    EXPECT_EQ(Map(zero, 4000, 4000), (Mapped{true, 0, 0}));

    // A nearly vertical top edge extrapolates far beyond 32 bits.
    CalibrationGrid thin = RegularGrid(2, 2, 1920, 1080, 1000, 1000, 2000, 2000);
    Board(thin, 1, 0).x = 1000 + 1e-12;
    const Mapped far = Map(thin, 16000, 16000);
    EXPECT_TRUE(far.ok);
    EXPECT_GE(far.x, 0);
    EXPECT_LE(far.x, 1920);
    EXPECT_GE(far.y, 0);
    EXPECT_LE(far.y, 1080);
}

TEST(BoardToScreen, RandomGridsNeverLeaveTheScreen) {
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> coordinate(-5e4, 5e4);
    std::uniform_int_distribution<std::int32_t> board(-100000, 100000);
    for (int round = 0; round < 2000; ++round) {
        CalibrationGrid grid;
        grid.ColumnCount = round % 6;
        grid.RowCount = 4;
        grid.ScreenWidth = 1366;
        grid.ScreenHeight = 768;
        for (auto& column : grid.BoardPoints) {
            for (auto& point : column) {
                point = {coordinate(random), coordinate(random)};
            }
        }
        grid.ScreenTargets = RegularGrid(5, 5, 1366, 768, 0, 0, 1, 1).ScreenTargets;
        const Mapped m = Map(grid, board(random), board(random));
        if (m.ok) {
            ASSERT_TRUE(m.x >= 0 && m.x <= 1366 && m.y >= 0 && m.y <= 768) << "round " << round;
        }
    }
}

} // namespace
} // namespace driver
