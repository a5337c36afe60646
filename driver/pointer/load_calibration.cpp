#include "driver/pointer/load_calibration.h"

#include "common/program_contract.h"
#include "driver/pointer/screen_targets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace driver {
namespace {

constexpr std::string_view kCoordinateSection = contract::settings_file::kCoordinateSection;
constexpr std::string_view kElecButtonSection = "ElecButton";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::int32_t SaturateToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The targets follow the screen: a grid kept through a refused load or a
// display change maps onto the screen as it is now.
void FitGridToScreen(CalibrationGrid& grid, const BoardScreen& screen) {
    grid.ScreenWidth = screen.monitor.Width();
    grid.ScreenHeight = screen.monitor.Height();
    for (int i = 0; i < grid.ColumnCount; ++i) {
        for (int j = 0; j < grid.RowCount; ++j) {
            grid.ScreenTargets[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
                ScreenTarget(i, j, grid.ColumnCount, grid.RowCount, grid.ScreenWidth,
                             grid.ScreenHeight);
        }
    }
}

void ReadGrid(CalibrationGrid& grid, platform::ProfilePort& profile, const std::string& path) {
    char key[32];
    for (int i = 0; i < grid.ColumnCount; ++i) {
        for (int j = 0; j < grid.RowCount; ++j) {
            GridPoint& board =
                grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            std::snprintf(key, sizeof key, "dot(%d,%d).x", i, j);
            board.x = ParseBoardValue(profile.GetString(kCoordinateSection, key, "0", path));
            std::snprintf(key, sizeof key, "dot(%d,%d).y", i, j);
            board.y = ParseBoardValue(profile.GetString(kCoordinateSection, key, "0", path));
        }
    }
}

void ReadButtons(Calibration& calibration, platform::ProfilePort& profile,
                 const std::string& path) {
    char key[16];
    for (int k = 0; k < kElecButtonCount; ++k) {
        ElecButtonPoint& point = calibration.ElecButtonPoints[static_cast<std::size_t>(k)];
        std::snprintf(key, sizeof key, "ept%d.x", k);
        point.x = profile.GetInt(kElecButtonSection, key, 0, path);
        std::snprintf(key, sizeof key, "ept%d.y", k);
        point.y = profile.GetInt(kElecButtonSection, key, 0, path);
    }
}

std::int64_t SmallestX(const Calibration& calibration, int first) {
    std::int32_t smallest = calibration.ElecButtonPoints[static_cast<std::size_t>(first)].x;
    for (int k = first + 1; k < first + kColumnButtonCount; ++k) {
        smallest = std::min(smallest, calibration.ElecButtonPoints[static_cast<std::size_t>(k)].x);
    }
    return smallest;
}

void DeriveAreas(Calibration& calibration) {
    const auto& points = calibration.ElecButtonPoints;
    // Wider integers only so that absurd settings cannot overflow; the clamp
    // to 50..80 makes the result the same for every sane board.
    const std::int64_t rowSpan = 2 * std::int64_t{points[2].y} - points[1].y - points[0].y;
    const double tolerance = std::trunc(static_cast<double>(rowSpan) * 0.1);
    calibration.ButtonTolerance = static_cast<std::int32_t>(std::clamp(tolerance, 50.0, 80.0));

    const std::int64_t margin = calibration.ButtonTolerance / 2 + 60;
    calibration.PenAreaLeft = SaturateToInt32(SmallestX(calibration, kLeftColumnFirst) + margin);
    calibration.PenAreaRight = SaturateToInt32(SmallestX(calibration, kRightColumnFirst) - margin);
}

} // namespace

double ParseBoardValue(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Decimal digits only: no "inf", "nan" or hexadecimal forms.
    const bool startsNumber =
        pos < text.size() && (IsDigit(text[pos]) || (text[pos] == '.' && pos + 1 < text.size() &&
                                                     IsDigit(text[pos + 1])));
    if (!startsNumber) {
        return 0.0;
    }
    double value = 0.0;
    const char* first = text.data() + pos;
    const auto [end, error] =
        std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || !std::isfinite(value)) {
        return 0.0;
    }
    return negative ? -value : value;
}

bool IsSupportedGridLayout(int columns, int rows) {
    switch (columns) {
    case 2:
        return rows >= 2 && rows <= kGridCapacity;
    case 3:
        return rows >= 3 && rows <= kGridCapacity;
    case 5:
        return rows >= 4 && rows <= kGridCapacity;
    default:
        return false;
    }
}

Calibration ReadCalibration(const Calibration& previous, platform::ProfilePort& profile,
                            const BoardScreen& screen, platform::TracePort& trace,
                            const std::string& settingsPath) {
    Calibration next = previous;
    namespace file = contract::settings_file;
    const int columns =
        profile.GetInt(kCoordinateSection, file::kColumnsKey, file::kDefaultGridSize, settingsPath);
    const int rows =
        profile.GetInt(kCoordinateSection, file::kRowsKey, file::kDefaultGridSize, settingsPath);
    if (IsSupportedGridLayout(columns, rows)) {
        CalibrationGrid& grid = next.grid;
        grid.ColumnCount = columns;
        grid.RowCount = rows;
        ReadGrid(grid, profile, settingsPath);
    } else {
        trace.Failure("LoadCalibration", 0,
                      "wdot=" + std::to_string(columns) + " hdot=" + std::to_string(rows) +
                          " is no grid layout; the previous grid is kept");
    }
    next.screen = screen;
    FitGridToScreen(next.grid, screen);
    ReadButtons(next, profile, settingsPath);
    DeriveAreas(next);
    return next;
}

void LoadCalibration(CalibrationStore& store, platform::ProfilePort& profile,
                     const BoardScreen& screen, platform::TracePort& trace,
                     const std::string& settingsPath) {
    store.Publish(ReadCalibration(store.Snapshot(), profile, screen, trace, settingsPath));
}

} // namespace driver
