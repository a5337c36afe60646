#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"

#include "driver/pointer/screen_targets.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/grids.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace driver {
namespace {

class CalibrationLoad : public ::testing::Test {
protected:
    Calibration Load(std::string_view ini, int width = 1920, int height = 1080) {
        LoadCalibration(m_store, m_profile, testing_support::PrimaryScreen(width, height), m_trace,
                        m_dir.Write("DualData.ini", ini));
        return m_store.Snapshot();
    }

    static const GridPoint& Target(const Calibration& c, int i, int j) {
        return c.grid.ScreenTargets[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
    static const GridPoint& Board(const Calibration& c, int i, int j) {
        return c.grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }

    testing_support::TempDir m_dir;
    platform::IniFileProfile m_profile;
    platform::SimTrace m_trace;
    CalibrationStore m_store;
};

TEST_F(CalibrationLoad, ValuesBeforeTheFirstLoad) {
    const Calibration initial = m_store.Snapshot();
    EXPECT_EQ(initial.grid.ColumnCount, 0);
    EXPECT_EQ(initial.grid.RowCount, 0);
    EXPECT_EQ(initial.ButtonTolerance, 70);
    EXPECT_EQ(initial.PenAreaLeft, 7600);
    EXPECT_EQ(initial.PenAreaRight, 16500);
}

TEST_F(CalibrationLoad, ThreeByThreeTargetsOn1920x1080) {
    const Calibration c = Load("[coordinate]\r\nwdot=3\r\nhdot=3\r\n");
    const double columns[] = {192, 960, 1728};
    const double rows[] = {108, 540, 972};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_DOUBLE_EQ(Target(c, i, j).x, columns[i]) << i << "," << j;
            EXPECT_DOUBLE_EQ(Target(c, i, j).y, rows[j]) << i << "," << j;
        }
    }
}

TEST_F(CalibrationLoad, FiveByFourTargetsOn1024x768) {
    const Calibration c = Load("[coordinate]\nwdot=5\nhdot=4\n", 1024, 768);
    const double columns[] = {102.4, 307.2, 512, 716.8, 921.6};
    const double rows[] = {76.8, 281.6, 486.4, 691.2};
    EXPECT_EQ(c.grid.ColumnCount, 5);
    EXPECT_EQ(c.grid.RowCount, 4);
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_DOUBLE_EQ(Target(c, i, j).x, columns[i]) << i << "," << j;
            EXPECT_DOUBLE_EQ(Target(c, i, j).y, rows[j]) << i << "," << j;
        }
    }
}

TEST_F(CalibrationLoad, BoardPointsAreKeyedColumnFirstAndReadAsDecimalText) {
    const Calibration c = Load("[coordinate]\n"
                               "dot(2,1).x=  1234.5abc\n"
                               "dot(2,1).y=letters\n"
                               "dot(1,2).x=-12.5e1\n"
                               "dot(1,2).y=.5\n");
    EXPECT_DOUBLE_EQ(Board(c, 2, 1).x, 1234.5);
    EXPECT_DOUBLE_EQ(Board(c, 2, 1).y, 0.0);
    EXPECT_DOUBLE_EQ(Board(c, 1, 2).x, -125.0);
    EXPECT_DOUBLE_EQ(Board(c, 1, 2).y, 0.5);
    EXPECT_DOUBLE_EQ(Board(c, 1, 1).x, 0.0); // missing key
}

TEST(ParseBoardValue, TakesTheLongestDecimalPrefix) {
    EXPECT_DOUBLE_EQ(ParseBoardValue(" \t1234.5 then text"), 1234.5);
    EXPECT_DOUBLE_EQ(ParseBoardValue("+7"), 7.0);
    EXPECT_DOUBLE_EQ(ParseBoardValue("1e3x"), 1000.0);
    EXPECT_DOUBLE_EQ(ParseBoardValue("1e"), 1.0);
    EXPECT_DOUBLE_EQ(ParseBoardValue("12."), 12.0);
    // Forms that are no decimal number, or not a finite one, read as 0.
    for (const char* text : {"", "abc", ".", "-", "+.e5", "inf", "nan", "0x1p3x", "1e999"}) {
        EXPECT_EQ(ParseBoardValue(text), 0.0) << '"' << text << '"';
    }
}

TEST_F(CalibrationLoad, ButtonToleranceIsClampedTo50Through80) {
    EXPECT_EQ(Load("[ElecButton]\nept0.y=1000\nept1.y=1300\nept2.y=1600\n").ButtonTolerance, 80);
    EXPECT_EQ(Load("[ElecButton]\nept0.y=1000\nept1.y=1100\nept2.y=1200\n").ButtonTolerance, 50);
    EXPECT_EQ(Load("[ElecButton]\nept0.y=1000\nept1.y=1250\nept2.y=1500\n").ButtonTolerance, 75);
    EXPECT_EQ(Load("[ElecButton]\nept0.y=1000\nept1.y=1256\nept2.y=1500\n").ButtonTolerance, 74);
}

TEST_F(CalibrationLoad, PenAreasFollowTheSmallestColumnX) {
    std::string ini = "[ElecButton]\nept0.y=1000\nept1.y=1250\nept2.y=1500\n";
    for (int k = 0; k < 28; ++k) {
        const int x = k < 14 ? 450 - (k == 9 ? 50 : 0) : 16100 - (k == 20 ? 100 : 0);
        ini += "ept" + std::to_string(k) + ".x=" + std::to_string(x) + "\n";
    }
    const Calibration c = Load(ini);
    EXPECT_EQ(c.ButtonTolerance, 75);
    EXPECT_EQ(c.PenAreaLeft, 400 + 37 + 60);
    EXPECT_EQ(c.PenAreaRight, 16000 - 37 - 60);
    EXPECT_EQ(c.ElecButtonPoints[9].x, 400);
    EXPECT_EQ(c.ElecButtonPoints[2].y, 1500);
}

// Button points at the ends of the integer range, or not numbers at all:
// the tolerance stays within 50..80 and the area bounds saturate instead of
// wrapping round to the other end of the board.
TEST_F(CalibrationLoad, ExtremeButtonPointsKeepTheAreasInRange) {
    struct Case {
        const char* rowY[3]; // ept0.y, ept1.y, ept2.y
        const char* leftX;   // every point of the left column
        const char* rightX;  // every point of the right column
        std::int32_t tolerance, penAreaLeft, penAreaRight;
    };
    const Case cases[] = {
        {{"-2147483648", "-2147483648", "2147483647"},
         "2147483647",
         "-2147483648",
         80,
         2147483647,
         -2147483647 - 1},
        {{"2147483647", "2147483647", "-2147483648"},
         "-2147483648",
         "2147483647",
         50,
         -2147483648 + 25 + 60,
         2147483647 - 25 - 60},
        {{"abc", "", "99999999999"}, "x", "0x7fffffff", 80, 40 + 60, 2147483647 - 40 - 60}};
    for (const Case& k : cases) {
        std::string ini = "[ElecButton]\n";
        for (int i = 0; i < 3; ++i) {
            ini += "ept" + std::to_string(i) + ".y=" + k.rowY[i] + "\n";
        }
        for (int i = 0; i < 28; ++i) {
            ini += "ept" + std::to_string(i) + ".x=" + (i < 14 ? k.leftX : k.rightX) + "\n";
        }
        const Calibration c = Load(ini);
        EXPECT_EQ(c.ButtonTolerance, k.tolerance) << k.leftX;
        EXPECT_EQ(c.PenAreaLeft, k.penAreaLeft) << k.leftX;
        EXPECT_EQ(c.PenAreaRight, k.penAreaRight) << k.leftX;
    }
}

TEST_F(CalibrationLoad, MissingFileGivesTheDefaults) {
    LoadCalibration(m_store, m_profile, testing_support::PrimaryScreen(1920, 1080), m_trace,
                    m_dir.File("absent.ini"));
    const Calibration c = m_store.Snapshot();
    EXPECT_EQ(c.grid.ColumnCount, 3);
    EXPECT_EQ(c.grid.RowCount, 3);
    EXPECT_EQ(c.grid.ScreenWidth, 1920);
    EXPECT_EQ(c.ButtonTolerance, 50);
    EXPECT_EQ(c.PenAreaLeft, 85);
    EXPECT_EQ(c.PenAreaRight, -85);
    std::int32_t x = 8000;
    std::int32_t y = 8000;
    EXPECT_TRUE(BoardToScreen(c.grid, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

// The layout follows wdot alone; a pair whose layout needs points the file
// does not give (or that the tables cannot hold, or that would divide by
// zero) would map through what an earlier load left. Such a grid is refused
// and the one before stays, whatever it was.
TEST_F(CalibrationLoad, CountPairsWithoutTheirLayoutsPointsAreRefusedAndThePreviousKept) {
    struct Case {
        const char* wdot;
        const char* hdot;
        bool taken;
    };
    const Case cases[] = {{"2", "2", true},   {"2", "5", true},           {"3", "3", true},
                          {"3", "5", true},   {"5", "4", true},           {"5", "5", true},
                          {"0", "0", false},  {"1", "1", false},          {"6", "6", false},
                          {"-1", "3", false}, {"2147483647", "4", false}, {"3", "2", false},
                          {"4", "4", false},  {"4", "3", false},          {"5", "3", false},
                          {"2", "6", false},  {"0x7fffffff", "2", false}, {"three", "3", false},
                          {"3", "", true}};
    const std::string previous = "[coordinate]\nwdot=2\nhdot=2\ndot(1,1).x=99\n";
    for (const Case& k : cases) {
        Load(previous, 1024, 768);
        const std::size_t lines = m_trace.Lines().size();
        const Calibration c = Load(std::string("[coordinate]\nwdot=") + k.wdot +
                                   "\nhdot=" + k.hdot + "\ndot(1,1).x=7\n");
        EXPECT_EQ(c.grid.ColumnCount, k.taken ? std::atoi(k.wdot) : 2) << k.wdot << "/" << k.hdot;
        // A kept grid is fitted to the screen as it is now, as a new one is.
        EXPECT_EQ(c.grid.ScreenWidth, 1920) << k.wdot << "/" << k.hdot;
        if (!k.taken) {
            EXPECT_DOUBLE_EQ(Target(c, 1, 1).x, ScreenTarget(1, 1, 2, 2, 1920, 1080).x) << k.wdot;
        }
        EXPECT_DOUBLE_EQ(Board(c, 1, 1).x, k.taken ? 7.0 : 99.0) << k.wdot << "/" << k.hdot;
        EXPECT_EQ(m_trace.Lines().size(), lines + (k.taken ? 0 : 1)) << k.wdot << "/" << k.hdot;
    }
}

TEST_F(CalibrationLoad, EntriesBeyondTheCountsKeepTheEarlierLoad) {
    Load("[coordinate]\nwdot=5\nhdot=4\ndot(4,3).x=777\ndot(4,3).y=888\ndot(0,0).x=5\n");
    const Calibration c = Load("[coordinate]\nwdot=3\nhdot=3\n");
    EXPECT_DOUBLE_EQ(Board(c, 4, 3).x, 777.0);
    EXPECT_DOUBLE_EQ(Board(c, 4, 3).y, 888.0);
    EXPECT_DOUBLE_EQ(Board(c, 0, 0).x, 0.0); // inside the new counts: read afresh
}

// The reader maps points while the dialog thread publishes new grids; every
// result must come from one whole grid, never from a mix of two.
TEST(CalibrationStore, ReaderNeverSeesAHalfWrittenGrid) {
    Calibration a;
    Calibration b;
    a.grid = b.grid = CalibrationGrid{};
    for (Calibration* c : {&a, &b}) {
        c->grid.ColumnCount = 2;
        c->grid.ScreenWidth = 1920;
        c->grid.ScreenHeight = 1080;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
            const double u = i == 0 ? 0.0 : 1.0;
            const double v = j == 0 ? 0.0 : 1.0;
            a.grid.ScreenTargets[i][j] =
                b.grid.ScreenTargets[i][j] = {192.0 + 1536.0 * u, 108.0 + 864.0 * v};
            a.grid.BoardPoints[i][j] = {1000.0 + 4000.0 * u, 1000.0 + 4000.0 * v};
            b.grid.BoardPoints[i][j] = {9000.0 - 4000.0 * u, 9000.0 - 4000.0 * v};
        }
    }
    const auto mapWith = [](const CalibrationGrid& grid) {
        std::int32_t x = 3000;
        std::int32_t y = 4000;
        BoardToScreen(grid, x, y);
        return std::pair{x, y};
    };
    const auto fromA = mapWith(a.grid);
    const auto fromB = mapWith(b.grid);
    ASSERT_NE(fromA, fromB);

    CalibrationStore store;
    store.Publish(a);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int round = 0; round < 20000; ++round) {
            store.Publish(round % 2 == 0 ? b : a);
        }
        done = true;
    });
    int mixed = 0;
    int reads = 0;
    while (!done || reads < 1000) {
        const auto got = store.Read([&](const Calibration& c) { return mapWith(c.grid); });
        mixed += (got != fromA && got != fromB) ? 1 : 0;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
}

} // namespace
} // namespace driver
