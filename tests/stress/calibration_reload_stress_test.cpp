// The calibration program's end (contract::driver_message::kOrientationDone) reloads the
// calibration again and again while the reader maps the board's taps: every pointer event comes
// from one whole grid, the old one or the new, never from a mix. Meant for
// TSan and ASan.
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"
#include "driver/pointer/mouse_injection.h"
#include "driver/state/driver_ids.h"
#include "platform/mouse_port.h"
#include "tests/support/board_feeder.h"
#include "tests/support/grids.h"
#include "tests/support/reader_rig.h"
#include "tests/support/stress_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;

constexpr int kReloads = 1000;
constexpr std::int32_t kTapX = 6000;
constexpr std::int32_t kTapY = 5000;

// 2 x 2 grids on 1920 x 1080 whose board corners lie apart, so that the tap
// lands on clearly different pixels through each.
std::string Grid(int origin) {
    std::string text = "[coordinate]\r\nwdot=2\r\nhdot=2\r\n";
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            const std::string at = "(" + std::to_string(i) + "," + std::to_string(j) + ")";
            text += "dot" + at + ".x=" + std::to_string(origin + i * 10000) + "\r\n";
            text += "dot" + at + ".y=" + std::to_string(origin + j * 8000) + "\r\n";
        }
    }
    return text;
}

class CalibrationReload : public testing_support::StressScene {
protected:
    CalibrationReload() {
        PlugInSerialBoard();
        m_machine.WriteInstalled("DualData.ini", Grid(1000));
    }

    // Where the tap lands through the grid, as an absolute mouse position.
    std::pair<std::int32_t, std::int32_t> TapThrough(const std::string& grid) {
        m_machine.WriteInstalled("DualData.ini", grid);
        CalibrationStore store;
        SimTrace trace;
        LoadCalibration(store, m_machine.profile, testing_support::PrimaryScreen(1920, 1080), trace,
                        m_machine.InstalledFile("DualData.ini"));
        std::int32_t x = kTapX;
        std::int32_t y = kTapY;
        store.Read([&](const Calibration& c) { return BoardToScreen(c.grid, x, y); });
        return {ScaleToAbsolute(x, 1920), ScaleToAbsolute(y, 1080)};
    }
};

TEST_F(CalibrationReload, EveryPointerEventComesFromOneWholeGrid) {
    const auto throughA = TapThrough(Grid(1000));
    const auto throughB = TapThrough(Grid(3000));
    ASSERT_NE(throughA, throughB);
    std::unique_ptr<testing_support::BoardFeeder> board;
    At(kConnectedAtMs, [&] {
        ASSERT_EQ(m_state.linkOpen, 1);
        board =
            std::make_unique<testing_support::BoardFeeder>(m_machine.serial, [](std::uint64_t n) {
                return Frame(0xEE, n % 2 == 0 ? 0x81 : 0x83, kTapX, kTapY);
            });
    });
    Repeat(kConnectedAtMs + 1, kReloads, [&](int k) {
        m_machine.WriteInstalled("DualData.ini", Grid(k % 2 == 0 ? 3000 : 1000));
        m_machine.desktop.PostMessage(DriverWindow(), contract::driver_message::kOrientationDone, 0,
                                      0);
    });
    At(kConnectedAtMs + kReloads + 10, [&] { board->Stop(); });
    Run(kConnectedAtMs + kReloads + 20);

    int fromA = 0;
    int fromB = 0;
    for (const MouseRecord& event : m_machine.mouse.Events()) {
        const std::pair at{event.x, event.y};
        ASSERT_TRUE(at == throughA || at == throughB) << event.x << "," << event.y;
        ++(at == throughA ? fromA : fromB);
    }
    EXPECT_GT(fromA, 0);
    EXPECT_GT(fromB, 0);
}

} // namespace
} // namespace driver
