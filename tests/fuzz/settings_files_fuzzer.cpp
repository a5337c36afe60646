// Any DualData.ini and Language.ini: the calibration, the pen-button
// settings and the message texts load without fault, every point maps onto
// the screen, and a mapping never depends on what an earlier load left.
#include "driver/pen/pen_frame.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"
#include "driver/pointer/pen_state_machine.h"
#include "driver/settings/button_settings.h"
#include "driver/settings/diagnostics.h"
#include "driver/settings/load_message_texts.h"
#include "platform/mouse_port.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_display.h"
#include "platform/sim/sim_mouse.h"
#include "platform/sim/sim_trace.h"
#include "platform/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/desktop_points.h"
#include "tests/support/grids.h"
#include "tests/support/memory_profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace driver;

constexpr const char* kFolder = "C:\\Board\\";
const std::string kSettings = std::string(kFolder) + "DualData.ini";

struct Mapped {
    bool found = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Mapped&, const Mapped&) = default;
};

Mapped Map(const CalibrationGrid& grid, BoardPoint point) {
    Mapped mapped{false, point.x, point.y};
    mapped.found = BoardToScreen(grid, mapped.x, mapped.y);
    if (mapped.found) {
        FUZZ_CHECK(mapped.x >= 0 && mapped.x <= std::max(grid.ScreenWidth, 0));
        FUZZ_CHECK(mapped.y >= 0 && mapped.y <= std::max(grid.ScreenHeight, 0));
    } else {
        FUZZ_CHECK(mapped.x == point.x && mapped.y == point.y);
    }
    return mapped;
}

void CheckDerived(const Calibration& calibration) {
    FUZZ_CHECK(calibration.ButtonTolerance >= 50 && calibration.ButtonTolerance <= 80);
    const CalibrationGrid& grid = calibration.grid;
    // 0 x 0: no grid was ever taken.
    FUZZ_CHECK((grid.ColumnCount == 0 && grid.RowCount == 0) ||
               IsSupportedGridLayout(grid.ColumnCount, grid.RowCount));
}

struct Load {
    Calibration calibration;
    bool refused = false;
};

Load LoadInto(CalibrationStore& store, testing_support::MemoryProfile& profile,
              const BoardScreen& screen, const std::string& text) {
    platform::SimTrace trace;
    profile.SetFile(kSettings, text);
    LoadCalibration(store, profile, screen, trace, kSettings);
    return {store.Snapshot(), !trace.Lines().empty()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int width = input.ConsumeIntegralInRange(0, 8000);
    const int height = input.ConsumeIntegralInRange(0, 8000);
    const int secondWidth = input.ConsumeIntegralInRange(1, 8000);
    const int secondHeight = input.ConsumeIntegralInRange(1, 8000);
    const int secondLeft =
        input.ConsumeBool() ? std::max(width, 1) : -secondWidth; // right or left of the primary
    const int secondTop = input.ConsumeIntegralInRange(-secondHeight, std::max(height, 1) - 1);
    const std::string first = input.ConsumeRandomLengthString(1600);
    const std::string second = input.ConsumeRandomLengthString(1600);
    const std::string language = input.ConsumeRandomLengthString(800);
    std::vector<BoardPoint> points;
    while (input.remaining_bytes() >= 8 && points.size() < 64) {
        points.push_back(
            {input.ConsumeIntegral<std::int32_t>(), input.ConsumeIntegral<std::int32_t>()});
    }
    // A lattice over the board and a margin beyond it, in every cell of every layout.
    for (std::int32_t x = -2000; x <= 18000; x += 2500) {
        for (std::int32_t y = -2000; y <= 18000; y += 2500) {
            points.push_back({x, y});
        }
    }

    testing_support::MemoryProfile profile;
    const BoardScreen screen = testing_support::PrimaryScreen(width, height);

    // The second file over the first, and over nothing: the same mapping
    // unless the second grid was refused, which keeps the first's.
    CalibrationStore afterFirst;
    const Load one = LoadInto(afterFirst, profile, screen, first);
    const Load both = LoadInto(afterFirst, profile, screen, second);
    CalibrationStore fresh;
    const Load alone = LoadInto(fresh, profile, screen, second);
    FUZZ_CHECK(both.refused == alone.refused);
    for (const Load* load : {&one, &both, &alone}) {
        CheckDerived(load->calibration);
    }
    const CalibrationGrid& expected = both.refused ? one.calibration.grid : alone.calibration.grid;
    for (const BoardPoint point : points) {
        FUZZ_CHECK(Map(both.calibration.grid, point) == Map(expected, point));
    }

    // The pointer through the pen state machine stays within absolute
    // coordinates, whatever the grid, and on the board's monitor when that
    // is not the primary: anywhere beside the primary, at any size.
    const int monitorLeft = secondLeft;
    const int monitorTop = secondTop;
    const platform::DesktopRect secondary{monitorLeft, monitorTop, monitorLeft + secondWidth,
                                          monitorTop + secondHeight};
    const std::vector<platform::MonitorInfo> monitors = {
        platform::SimDisplay::Monitor(1, {0, 0, std::max(width, 1), std::max(height, 1)}, true),
        platform::SimDisplay::Monitor(2, secondary)};
    for (const bool onPrimary : {true, false}) {
        Calibration placed = both.calibration;
        if (!onPrimary) {
            placed.screen = BoardScreen{secondary, DesktopAround(monitors), false};
            placed.grid.ScreenWidth = secondary.Width();
            placed.grid.ScreenHeight = secondary.Height();
        }
        CalibrationStore store;
        store.Publish(placed);
        platform::SimMouse mouse;
        platform::SimClock clock(1000);
        MouseInjector inject(mouse, store);
        PenStateMachine pen(store, inject, clock);
        for (std::size_t i = 0; i < points.size(); ++i) {
            pen.OnPenPoint(points[i].x, points[i].y, i % 7 == 6 ? 0 : 1);
            clock.Advance(5);
        }
        for (const platform::MouseRecord& record : mouse.Records()) {
            if (record.kind == platform::MouseRecord::Kind::Event) {
                FUZZ_CHECK(record.x >= 0 && record.x <= 65535 && record.y >= 0 &&
                           record.y <= 65535);
            }
            if (onPrimary) {
                if (record.kind == platform::MouseRecord::Kind::SetCursor) {
                    FUZZ_CHECK(record.x >= 0 && record.x <= width && record.y >= 0 &&
                               record.y <= height);
                }
            } else {
                FUZZ_CHECK(
                    testing_support::Inside(testing_support::LandsAt(record, monitors), secondary));
            }
        }
    }

    ButtonCommandMap map;
    const ButtonSettings buttons = ReadButtonSettings(profile, kSettings, map);
    for (const int command : {buttons.m_button1Command, buttons.m_button2Command}) {
        FUZZ_CHECK(command == 0 || std::ranges::any_of(ButtonCommandMap().Entries(), [&](auto e) {
                       return e.second == command;
                   }));
    }

    // The same bytes as either language's file: each must give bounded text.
    profile.SetFile(std::string(kFolder) + std::string(contract::language_file::kName), language);
    profile.SetFile(std::string(kFolder) + std::string(contract::language_file::kEnglishName),
                    language);
    for (const common::Language chosen : {common::Language::Chinese, common::Language::English}) {
        const MessageTexts texts =
            LoadMessageTexts(profile, common::TextSourceIn(kFolder, chosen), [](const auto&) {});
        for (const std::string* text : {&texts.connectCap, &texts.serRunning, &texts.getParamFail,
                                        &texts.connect, &texts.lKeyError, &texts.rKeyError}) {
            FUZZ_CHECK(platform::Utf8ToUtf16(*text).size() <
                       platform::ProfilePort::kDefaultCapacity);
        }
    }
    return 0;
}
