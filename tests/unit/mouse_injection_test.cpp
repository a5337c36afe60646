#include "driver/pointer/mouse_injection.h"

#include "platform/sim/sim_mouse.h"

#include <gtest/gtest.h>

namespace driver {
namespace {

using platform::MouseRecord;
using Kind = MouseRecord::Kind;

MouseRecord Event(std::uint32_t flags, std::int32_t dx, std::int32_t dy) {
    return {Kind::Event, flags, dx, dy};
}
MouseRecord Cursor(std::int32_t x, std::int32_t y) {
    return {Kind::SetCursor, 0, x, y};
}

Calibration ScreenOf(int width, int height) {
    Calibration calibration;
    calibration.grid.ScreenWidth = width;
    calibration.grid.ScreenHeight = height;
    return calibration;
}

TEST(ScaleToAbsolute, CornersAndCentre) {
    EXPECT_EQ(ScaleToAbsolute(1920, 1920), 65535);
    EXPECT_EQ(ScaleToAbsolute(1080, 1080), 65535);
    EXPECT_EQ(ScaleToAbsolute(960, 1920), 32767);
    EXPECT_EQ(ScaleToAbsolute(540, 1080), 32767);
    EXPECT_EQ(ScaleToAbsolute(0, 1920), 0);
    // No screen known yet: nothing to scale by, and no division by zero.
    EXPECT_EQ(ScaleToAbsolute(500, 0), 0);
    EXPECT_EQ(ScaleToAbsolute(500, -1), 0);
}

TEST(MouseInjector, EachActionSendsItsFlagsAtTheScaledPoint) {
    platform::SimMouse mouse;
    CalibrationStore store;
    store.Publish(ScreenOf(1920, 1080));
    MouseInjector inject(mouse, store);

    inject.MouseMove(1920, 1080);
    inject.MouseLeftDown(960, 540);
    inject.MouseLeftUp(960, 540);
    inject.MouseRightClick(960, 540);
    inject.MouseDoubleClick(640, 512);

    const std::vector<MouseRecord> expected = {
        Event(0x8001, 65535, 65535),
        Event(0x8003, 32767, 32767),
        Event(0x8004, 32767, 32767),
        Cursor(960, 540),
        Event(0x8019, 32767, 32767),
        Cursor(640, 512),
        // Scaled like the single taps, whatever size the system reports now.
        Event(0x8002, 21845, 31068),
        Event(0x8004, 21845, 31068),
        Event(0x8002, 21845, 31068),
        Event(0x8004, 21845, 31068),
    };
    EXPECT_EQ(mouse.Records(), expected);
}

// Whichever rounding the input system applies, a desktop-wide value lands on
// the pixel it was made for, on desktops from one small monitor to four wide.
TEST(ScaleToDesktop, EveryPixelLandsOnItselfUnderBothRoundings) {
    for (const int extent : {640, 1024, 1080, 1920, 3200, 5120, 7680, 15360}) {
        for (int pixel = 0; pixel < extent; ++pixel) {
            const std::int64_t dx = ScaleToDesktop(pixel, extent);
            ASSERT_LE(dx, 65535) << extent;
            ASSERT_EQ(dx * extent / 65536, pixel) << extent;
            ASSERT_EQ((dx * extent + 32767) / 65535, pixel) << extent;
        }
    }
    EXPECT_EQ(ScaleToDesktop(-5, 1920), 0);
    EXPECT_EQ(ScaleToDesktop(100, 0), 0);
}

} // namespace
} // namespace driver
