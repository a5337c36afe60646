#include "driver/pen/function_areas.h"

#include "driver/pen/pen_pipeline.h"
#include "tests/support/expect_posts.h"
#include "tests/support/recording_dialog_requests.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace driver {
namespace {

using platform::PostedMessage;
using testing_support::kAnyTime;
using testing_support::PostsAre;

const DialogTimer kRearm = timer::kCommandRearm, kSecondPenRearm = timer::kSecondPenRearm,
                  kLeftTaps = timer::kLeftTaps, kRightTaps = timer::kRightTaps;

testing_support::ExpectedPost Notice(platform::WParam code, platform::LParam lParam) {
    return {kAnyTime, contract::companion::kNotice, code, lParam};
}

// Left column at x 500, right column at x 20000, rows 200 apart from y 2000.
BoardPoint Area(int k) {
    return {k < 14 ? 500 : 20000, 2000 + 200 * (k % 14)};
}

class FunctionAreasTest : public ::testing::Test {
protected:
    FunctionAreasTest() {
        m_state.codePermitted = 1;
        for (int k = 0; k < kElecButtonCount; ++k) {
            m_calibration.ElecButtonPoints[static_cast<std::size_t>(k)] = {Area(k).x, Area(k).y};
        }
        m_calibration.PenAreaLeft = 1000;
        m_calibration.PenAreaRight = 19000;
        m_store.Publish(m_calibration);
    }

    TouchRoute First(BoardPoint p) { return m_areas.RouteFirstPenTouch(p); }
    TouchRoute Second(BoardPoint p) { return m_areas.RouteSecondPenTouch(p); }
    std::vector<PostedMessage> Posts() const { return m_desktop.MessagesTo(m_live); }
    std::vector<DialogTimer> Timers() const { return m_dialog.TimerStarts(); }
    std::size_t OrientationStarts() const { return m_machine.shell.Opened().size(); }

    testing_support::SimMachine m_machine;
    testing_support::SimProcess m_process{m_machine};
    DriverState m_state;
    testing_support::RecordingDialogRequests m_dialog;
    PenPipeline m_pipeline{m_process.ports, m_state, m_dialog};
    platform::SimDesktop& m_desktop = m_machine.desktop;
    platform::WindowHandle m_live = m_desktop.CreateLoggingWindow(
        std::string(contract::companion::kMainClass), std::string(contract::companion::kMainTitle));
    platform::WindowHandle m_stale = m_desktop.CreateLoggingWindow("TfrmOld", "Old");
    Calibration m_calibration; // ButtonTolerance 70
    CalibrationStore& m_store = m_pipeline.calibration;
    FunctionAreas& m_areas = m_pipeline.areas;
};

TEST(FunctionAreaTables, KeysCoverTheirRangesOnceAndTapCountersAndCodesAreUnique) {
    for (int side = 0; side < 2; ++side) {
        std::map<int, int> hits;
        for (const std::uint8_t status :
             function_area::kKeyStatuses[static_cast<std::size_t>(side)]) {
            ++hits[status];
        }
        const int first = side == 0 ? 0xD2 : 0xF2;
        for (int status = first; status <= first + 13; ++status) {
            EXPECT_EQ(hits[status], 1) << "status " << status;
        }
        EXPECT_EQ(hits.size(), 14U) << "side " << side;
    }
    std::set<int> counters, codes;
    for (const function_area::Action& action : function_area::kActions) {
        const bool tap = action.kind == function_area::Kind::Tap;
        EXPECT_EQ(tap, action.counter >= 0 && action.doubleTapCode != 0) << action.code;
        if (tap) {
            counters.insert(action.counter);
            EXPECT_TRUE(codes.insert(action.doubleTapCode).second) << action.doubleTapCode;
        }
        if (action.kind != function_area::Kind::Orientation) {
            EXPECT_TRUE(codes.insert(action.code).second) << action.code;
        }
    }
    EXPECT_EQ(counters, (std::set<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(function_area::kActions[function_area::kOrientationArea].kind,
              function_area::Kind::Orientation);
}

TEST_F(FunctionAreasTest, HitTestAndColumnBounds) {
    EXPECT_EQ(First({570, 1930}), TouchRoute::Consumed); // bounds are inclusive
    m_state.commandArmed = 1;
    EXPECT_EQ(First({571, 1930}), TouchRoute::Write);
    EXPECT_EQ(First({500, 2071}), TouchRoute::Write);
    // Area 9 laid over area 3: the lower index takes the touch.
    m_calibration.ElecButtonPoints[9] = {540, Area(3).y + 40};
    // Area 0 reaches into the writing area, whose bounds win.
    m_calibration.PenAreaLeft = 560;
    // A centre far off the board must not overflow the distance.
    m_calibration.ElecButtonPoints[27] = {INT32_MIN, INT32_MAX};
    m_store.Publish(m_calibration);
    EXPECT_EQ(First({530, Area(3).y + 30}), TouchRoute::Consumed);
    EXPECT_EQ(m_state.tapCount[0][5].load(), 0);
    EXPECT_EQ(First({560, 2000}), TouchRoute::Write);
    m_state.commandArmed = 1;
    EXPECT_EQ(First({559, 2000}), TouchRoute::Consumed);
    EXPECT_EQ(First({16384, 1}), TouchRoute::Write);
    EXPECT_TRUE(PostsAre(Posts(), {Notice(25, 0), Notice(24, 0), Notice(25, 0)}));
}

TEST_F(FunctionAreasTest, HeldCommandAreaFiresOncePerRearmOnOneLockForAllAreas) {
    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_EQ(First(Area(0)), TouchRoute::Consumed) << "frame " << frame;
    }
    EXPECT_EQ(First(Area(16)), TouchRoute::Consumed);
    m_state.commandArmed = 1; // timer 112 expired
    First(Area(0));
    First(Area(0));
    EXPECT_TRUE(PostsAre(Posts(), {Notice(25, 0), Notice(25, 0)}));
    EXPECT_EQ(Timers(), (std::vector{kRearm, kRearm}));
}

TEST_F(FunctionAreasTest, StoredHandleAreasSkipTheLookUp) {
    const std::set<int> stored = {2, 11, 14, 15, 17};
    for (const int k : {0, 1, 2, 3, 10, 11, 14, 15, 16, 17, 24, 25}) {
        m_state.companionWindow = m_stale;
        m_state.commandArmed = 1;
        const std::size_t before = m_desktop.MessagesTo(m_stale).size();
        First(Area(k));
        EXPECT_EQ(m_desktop.MessagesTo(m_stale).size() - before, stored.count(k)) << "area " << k;
        EXPECT_EQ(m_state.companionWindow.load(), stored.count(k) ? m_stale : m_live) << k;
    }
    EXPECT_EQ(Posts().size(), 7U);
}

TEST_F(FunctionAreasTest, GatedAreasPostOnlyWhenPermittedAndLockAsTheirSideDoes) {
    m_state.codePermitted = 0;
    First(Area(13));
    EXPECT_EQ(m_state.commandArmed.load(), 0);
    First(Area(13)); // disarmed left: nothing
    EXPECT_EQ(Timers().size(), 1U);
    First(Area(27)); // disarmed right: keeps the lock running
    EXPECT_EQ(Timers().size(), 2U);
    m_state.codePermitted = 1;
    m_state.commandArmed = 1;
    First(Area(27));
    EXPECT_TRUE(PostsAre(Posts(), {Notice(33, 2)}));
    EXPECT_EQ(Timers(), (std::vector{kRearm, kRearm, kRearm}));
}

TEST_F(FunctionAreasTest, OrientationAreasToggleOncePerRearm) {
    First(Area(12));
    First(Area(26));
    EXPECT_EQ(OrientationStarts(), 1U);
    EXPECT_TRUE(m_areas.HitsOrientationArea({20070, Area(26).y - 70}));
    EXPECT_FALSE(m_areas.HitsOrientationArea({20071, Area(26).y}));
    EXPECT_FALSE(m_areas.HitsOrientationArea(Area(11)));
    EXPECT_EQ(OrientationStarts(), 1U);
}

TEST_F(FunctionAreasTest, TapAreaCountsOncePerContactAndStartsItsTimerOnTheFirstCount) {
    First(Area(4));
    First(Area(4));
    m_state.leftTapArmed = 1; // a Lift
    First(Area(4));
    EXPECT_EQ(m_state.tapCount[0][0].load(), 2);
    EXPECT_EQ(Timers(), (std::vector{kRearm, kLeftTaps, kRearm}));
    m_state.tapCount[0][0] = 0; // timer 67 evaluated the counts
    m_state.leftTapArmed = 1;
    First(Area(4));
    EXPECT_EQ(Timers().back(), kLeftTaps);
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(m_state.rightTapArmed.load(), 1);
}

TEST_F(FunctionAreasTest, EachPenUsesItsColumnsInDualPenMode) {
    m_state.dualPenMode = 1;
    EXPECT_EQ(First(Area(16)), TouchRoute::Write);
    EXPECT_EQ(Second(Area(0)), TouchRoute::Write);
    EXPECT_EQ(Second(Area(16)), TouchRoute::Consumed);
    EXPECT_EQ(Second(Area(23)), TouchRoute::Consumed);
    EXPECT_EQ(Second({8000, 8000}), TouchRoute::Write);
    EXPECT_TRUE(PostsAre(Posts(), {Notice(23, 2)}));
    EXPECT_EQ(Timers(), (std::vector{kRearm, kSecondPenRearm, kRightTaps}));
    m_state.dualPenMode = 0;
    m_state.commandArmed = 1;
    EXPECT_EQ(Second(Area(0)), TouchRoute::Consumed);
    EXPECT_EQ(First(Area(19)), TouchRoute::Consumed);
    EXPECT_EQ(Second({20200, 2000}), TouchRoute::Write);
    EXPECT_EQ(Timers().back(), kRearm);
}

TEST_F(FunctionAreasTest, BoardKeysActWithoutLocksAndWithAFreshLookUp) {
    m_state.companionWindow = m_stale;
    m_state.commandArmed = 0;
    m_state.leftTapArmed = 0;
    m_state.codePermitted = 0;
    for (const std::uint8_t status : std::vector<std::uint8_t>{
             0xDC, 0xF9, 0xFA, 0xFA, 0xDE, 0xDE, 0xD8, 0xF8, 0x81, 0xD1, 0xE0, 0xF1}) {
        m_areas.OnBoardKey(status);
    }
    EXPECT_TRUE(PostsAre(Posts(), {Notice(23, 0), Notice(33, 0), Notice(25, 2), Notice(25, 2)}));
    EXPECT_EQ(m_state.tapCount[0][0].load(), 2);
    EXPECT_EQ(Timers(), (std::vector{kLeftTaps}));
    EXPECT_EQ(OrientationStarts(), 2U);
}

} // namespace
} // namespace driver
