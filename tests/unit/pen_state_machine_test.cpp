#include "driver/pointer/pen_state_machine.h"

#include "driver/pointer/coordinate_transform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_mouse.h"
#include "tests/support/grids.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace driver {
namespace {

using platform::MouseRecord;
using Kind = MouseRecord::Kind;

constexpr std::uint32_t kMove = 0x8001;
constexpr std::uint32_t kDown = 0x8003;
constexpr std::uint32_t kUp = 0x8004;
constexpr std::uint32_t kRightClick = 0x8019;
constexpr std::uint32_t kClickDown = 0x8002;

// On a 65535-pixel screen absolute mouse units equal pixels, so recorded
// events read as screen points.
class PenStateMachineTest : public ::testing::Test {
protected:
    PenStateMachineTest() { UseGrid(testing_support::IdentityGrid()); }

    void UseGrid(const CalibrationGrid& grid) {
        Calibration calibration;
        calibration.grid = grid;
        m_store.Publish(calibration);
    }

    void Touch(std::int32_t x, std::int32_t y) { m_pen.OnPenPoint(x, y, 1); }
    void Lift(std::int32_t x, std::int32_t y) { m_pen.OnPenPoint(x, y, 0); }
    void Still(std::int32_t x, std::int32_t y, int frames) {
        for (int i = 0; i < frames; ++i) {
            Touch(x, y);
        }
    }

    ScreenPoint Screen(std::int32_t x, std::int32_t y) const {
        m_store.Read([&](const Calibration& c) { return BoardToScreen(c.grid, x, y); });
        return {x, y};
    }

    static MouseRecord At(std::uint32_t flags, ScreenPoint p) {
        return {Kind::Event, flags, p.x, p.y};
    }
    static MouseRecord CursorAt(ScreenPoint p) { return {Kind::SetCursor, 0, p.x, p.y}; }

    std::vector<MouseRecord> Take() {
        std::vector<MouseRecord> records = m_mouse.Records();
        m_mouse.Clear();
        return records;
    }

    static int CountFlags(const std::vector<MouseRecord>& records, std::uint32_t flags) {
        return static_cast<int>(
            std::count_if(records.begin(), records.end(), [&](const MouseRecord& r) {
                return r.kind == Kind::Event && r.flags == flags;
            }));
    }

    // A finished tap at (x, y), then the clock moves on.
    void Tap(std::int32_t x, std::int32_t y, std::uint32_t thenWaitMs) {
        Touch(x, y);
        Lift(x, y);
        m_clock.Advance(thenWaitMs);
    }

    platform::SimMouse m_mouse;
    platform::SimClock m_clock{100000};
    CalibrationStore m_store;
    MouseInjector m_inject{m_mouse, m_store};
    PenStateMachine m_pen{m_store, m_inject, m_clock};
};

TEST_F(PenStateMachineTest, TapIsLeftDownThenLeftUp) {
    Touch(1000, 500);
    Lift(1000, 500);
    const ScreenPoint p = Screen(1000, 500);
    EXPECT_EQ(Take(), (std::vector{At(kDown, p), At(kUp, p)}));
}

TEST_F(PenStateMachineTest, HoveringAndOtherTouchValuesMoveNothing) {
    Lift(1000, 500);
    m_pen.OnPenPoint(1000, 500, 2); // anything but 1 is a lift
    EXPECT_TRUE(Take().empty());

    Touch(1000, 500);
    m_pen.OnPenPoint(1000, 500, 0xFF);
    EXPECT_EQ(CountFlags(Take(), kUp), 1);
    EXPECT_FALSE(m_pen.PenDown());
}

TEST_F(PenStateMachineTest, StrokeMovesUnfilteredThenSmoothed) {
    const std::int32_t xs[] = {1000, 1100, 1200, 1300, 1400};
    for (const std::int32_t x : xs) {
        Touch(x, 500);
    }
    const std::int32_t y = Screen(0, 500).y;
    const auto smoothed = [](std::int32_t now, std::int32_t before) {
        return static_cast<std::int32_t>(0.7 * now + 0.3 * before);
    };
    const std::int32_t fourth = smoothed(1300, 1200);
    const std::vector<MouseRecord> expected = {
        At(kDown, {1000, y}),   // down frame
        At(kMove, {1100, y}),   // second: unfiltered
        At(kMove, {1200, y}),   // third: the filter has no output yet
        At(kMove, {fourth, y}), // then weight 0.7
        At(kMove, {smoothed(1400, fourth), y}),
    };
    EXPECT_EQ(Take(), expected);
}

TEST_F(PenStateMachineTest, SlowMotionFromThePreviousStrokeMovesEverySecondFrame) {
    Touch(500, 500);
    Still(500, 500, 5); // the sixth frame compares with the reference: slow
    Lift(500, 500);
    m_clock.Advance(1000);
    Take();

    Touch(1000, 600);
    Touch(1020, 600); // unfiltered
    Touch(1040, 600); // becomes the held point, moves nothing
    Touch(1043, 603); // moves to the pair's combination
    Touch(1042, 601); // held
    Touch(1044, 603); // within 5 of the reference taken at 1040: still slow; pairs again,
                      // now blended half and half with the last output
    const ScreenPoint first = PenStateMachine::CombinePair(Screen(1040, 600), Screen(1043, 603));
    const ScreenPoint second = PenStateMachine::CombinePair(Screen(1042, 601), Screen(1044, 603));
    const ScreenPoint blended{(first.x + second.x) / 2, (first.y + second.y) / 2};
    EXPECT_EQ(Take(), (std::vector{At(kDown, Screen(1000, 600)), At(kMove, Screen(1020, 600)),
                                   At(kMove, first), At(kMove, blended)}));
}

TEST_F(PenStateMachineTest, SmoothingWeightExamples) {
    m_pen.SmoothMove(100, 100, 0.7); // first output passes unfiltered
    m_pen.SmoothMove(110, 100, 0.7);
    PenStateMachine other(m_store, m_inject, m_clock);
    other.SmoothMove(100, 100, 0.7);
    other.SmoothMove(113, 100, 0.7);
    EXPECT_EQ(Take(), (std::vector{At(kMove, {100, 100}), At(kMove, {107, 100}),
                                   At(kMove, {100, 100}), At(kMove, {109, 100})}));
}

TEST(CombinePair, LargerValueOrOneLessWhenTheSumIsOdd) {
    EXPECT_EQ(PenStateMachine::CombinePair({100, 200}, {104, 203}), (ScreenPoint{104, 202}));
    EXPECT_EQ(PenStateMachine::CombinePair({104, 203}, {100, 200}), (ScreenPoint{104, 202}));
    EXPECT_EQ(PenStateMachine::CombinePair({7, 7}, {7, 7}), (ScreenPoint{7, 7}));
}

TEST_F(PenStateMachineTest, QuickSecondTapAddsADoubleClickAtItsDownPoint) {
    Tap(1000, 500, 300);
    Take();
    Touch(1006, 500); // up points 6 apart: d = 36
    Lift(1006, 500);
    const ScreenPoint q = Screen(1006, 500);
    EXPECT_EQ(Take(), (std::vector{At(kDown, q), At(kUp, q), CursorAt(q), At(kClickDown, q),
                                   At(kUp, q), At(kClickDown, q), At(kUp, q)}));
}

TEST_F(PenStateMachineTest, DoubleTapDistanceAndTimeBounds) {
    struct Case {
        std::int32_t apart;
        std::uint32_t waitMs;
        bool doubleClick;
    };
    const Case cases[] = {
        {6, 300, true},  {5, 649, true},   {14, 0, true},   // inside the bounds
        {4, 300, false}, {15, 300, false},                  // d = 16 and d = 225
        {6, 650, false}, {6, 5000, false}, {0, 300, false}, // too late, or on the spot
    };
    for (const Case& c : cases) {
        PenStateMachine pen(m_store, m_inject, m_clock);
        pen.OnPenPoint(1000, 500, 1);
        pen.OnPenPoint(1000, 500, 0);
        m_clock.Advance(c.waitMs);
        Take();
        pen.OnPenPoint(1000 + c.apart, 500, 1);
        pen.OnPenPoint(1000 + c.apart, 500, 0);
        EXPECT_EQ(CountFlags(Take(), kClickDown), c.doubleClick ? 2 : 0)
            << c.apart << " px apart after " << c.waitMs << " ms";
        m_clock.Advance(10000);
    }
}

TEST_F(PenStateMachineTest, SecondTapThatLeftItsBoxIsNoDoubleTap) {
    Tap(1000, 500, 200);
    Touch(1006, 500);
    Touch(1020, 500); // leaves the 5-pixel box
    Touch(1006, 500);
    Lift(1006, 500);
    EXPECT_EQ(CountFlags(Take(), kClickDown), 0);
}

TEST_F(PenStateMachineTest, LongPressAtThe121stStillFrame) {
    Touch(1000, 500);
    Still(1000, 500, 120);
    EXPECT_EQ(CountFlags(Take(), kRightClick), 0);

    Touch(1000, 500);
    const ScreenPoint p = Screen(1000, 500);
    const std::vector<MouseRecord> records = Take();
    ASSERT_GE(records.size(), 4U);
    EXPECT_EQ(std::vector(records.begin(), records.begin() + 4),
              (std::vector{At(kDown, p), At(kUp, p), CursorAt(p), At(kRightClick, p)}));

    Still(1000, 500, 10); // plain moves follow, no button
    const std::vector<MouseRecord> after = Take();
    EXPECT_EQ(CountFlags(after, kMove), static_cast<int>(after.size()));

    Still(1000, 500, 111); // 121 more still frames: fires again
    EXPECT_EQ(CountFlags(Take(), kRightClick), 1);

    Lift(1000, 500);
    EXPECT_EQ(Take(), (std::vector{At(kUp, p)}));
}

TEST_F(PenStateMachineTest, WanderingFiveOrMorePixelsRestartsTheHoldCount) {
    Touch(1000, 500);
    Still(1000, 500, 100);
    Touch(1005, 500); // exactly 5 away: outside the strict box
    Still(1000, 500, 120);
    EXPECT_EQ(CountFlags(Take(), kRightClick), 0);
    Touch(1000, 500);
    EXPECT_EQ(CountFlags(Take(), kRightClick), 1);
}

TEST_F(PenStateMachineTest, FrameThatMapsNowhereChangesNothing) {
    CalibrationGrid grid = testing_support::RegularGrid(5, 4, 1024, 768, 1000, 1000, 2000, 2000);
    grid.BoardPoints[1][2].x = 2800;
    grid.BoardPoints[2][2].y += 100;
    UseGrid(grid);
    Touch(2900, 5050);
    Lift(2900, 5050);
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(m_pen.PenDown());
    Touch(2000, 2000);
    EXPECT_EQ(CountFlags(Take(), kDown), 1);
}

} // namespace
} // namespace driver
