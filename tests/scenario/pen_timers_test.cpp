#include "driver/app/dravik_dlg.h"
#include "driver/app/dravik_ids.h"
#include "platform/window_messages.h"
#include "tests/support/expect_posts.h"
#include "tests/support/reader_rig.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <functional>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;
using testing_support::PostsAre;

// The driver's dialog with the reader's dispatch driven by the scene, and a
// companion window that records what reaches it, with virtual times.
class PenTimersScene : public ::testing::Test {
protected:
    PenTimersScene() {
        companion =
            m_machine.desktop.CreateLoggingWindow(std::string(contract::companion::kMainClass),
                                                  std::string(contract::companion::kMainTitle));
    }

    void Settings(std::string_view lumeraset) {
        m_machine.WriteInstalled("DualData.ini",
                                 std::string("[LUMERASET]\r\n") + std::string(lumeraset));
    }

    // Runs the dialog; the scene's steps run at their times after start.
    void Run(std::function<void()> scene, std::uint64_t endAtMs) {
        m_machine.desktop.At(1, [&, scene = std::move(scene)] {
            m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
            m_state.functionAreasEnabled = true;
            scene();
        });
        m_machine.desktop.At(endAtMs, [&] {
            m_machine.desktop.PressEscape(m_machine.desktop.FindWindow(
                contract::driver_window::kClass, contract::driver_window::kTitle));
        });
        CDravikDlg dialog(m_process.ports, m_state);
        m_dialog = &dialog;
        dialog.DoModal();
        m_dialog = nullptr;
    }

    // A frame arriving from the reader at time atMs after start.
    void FrameAt(std::uint64_t atMs, const PenFrame& frame) {
        m_machine.desktop.At(atMs,
                             [this, frame] { m_dialog->Pipeline().dispatcher.Dispatch(frame); });
    }
    void TapAt(std::uint64_t atMs, std::int32_t x, std::int32_t y) {
        FrameAt(atMs, Frame(0xEE, 0x81, x, y));
        FrameAt(atMs, Frame(0xEE, 0x83, x, y));
    }

    std::vector<PostedMessage> Reports() const { return m_machine.desktop.MessagesTo(companion); }
    std::vector<MouseRecord> Mouse() const { return m_machine.mouse.Records(); }

    testing_support::SimMachine m_machine;
    testing_support::SimProcess m_process{m_machine};
    DriverState m_state;
    CDravikDlg* m_dialog = nullptr;
    WindowHandle companion = kNoWindow;
};

// Left tap areas j = 4..9 sit at x 300, y 1000 + 1000 j (the rig's board).
constexpr std::int32_t kLeftX = 300;
constexpr std::int32_t kRightX = 16200;
constexpr std::int32_t AreaY(int j) {
    return 1000 + 1000 * j;
}

TEST_F(PenTimersScene, OneTapIsReported500MsLater) {
    TapAt(100, kLeftX, AreaY(6)); // counter 2
    Run([] {}, 2000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kNotice, 19, 0}}));
}

TEST_F(PenTimersScene, DoubleTapPostsTheDoubleCodeFirst) {
    TapAt(100, kLeftX, AreaY(9)); // counter 5: its double code is 266
    TapAt(300, kLeftX, AreaY(9));
    Run([] {}, 2000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kNotice, 266, 0},
                                     {600, contract::companion::kNotice, 22, 0}}));
}

TEST_F(PenTimersScene, OnlyTheLowestTappedAreaOfASideIsReported) {
    TapAt(100, kLeftX, AreaY(7));  // counter 3
    TapAt(200, kLeftX, AreaY(5));  // counter 1
    TapAt(300, kRightX, AreaY(4)); // right counter 0
    Run([] {}, 2000);
    // The first tap on counter 1 restarts the side's timer: 200 + 500.
    EXPECT_TRUE(PostsAre(Reports(), {{700, contract::companion::kNotice, 18, 0},
                                     {800, contract::companion::kNotice, 17, 2}}));
    EXPECT_EQ(m_state.tapCount[0][3], 0) << "dropped with the report";
}

TEST_F(PenTimersScene, PenButtonWithFixedCodesReportsThenClicks) {
    Settings("IF_SET_F_NO_T=1\r\n");
    FrameAt(100, Frame(0xEE, 0x85, 5000, 4000));
    Run([] {}, 2000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kButtonNotice, 1, 0}}));
    const std::vector<MouseRecord> mouse = Mouse();
    ASSERT_EQ(mouse.size(), 2U);
    EXPECT_EQ(mouse[0].flags, 0x8003U);
    EXPECT_EQ(mouse[1].flags, 0x8004U);
    EXPECT_EQ(mouse[0].x, ScaleToAbsolute(m_state.buttonClickX, 1920));
    EXPECT_EQ(m_state.buttonClickCount[0], 0);
}

TEST_F(PenTimersScene, DoubleClickInFrontOfTheToolWindowIsOnlyReported) {
    Settings("BOX1LASTCHOOSE=2\r\n"); // command 23
    m_machine.desktop.SetForegroundWindow(m_machine.desktop.CreateLoggingWindow(
        std::string(contract::companion::kToolClass), "tools"));
    FrameAt(100, Frame(0xEE, 0x85, 5000, 4000));
    FrameAt(150, Frame(0xEE, 0x83, 5000, 4000));
    FrameAt(200, Frame(0xEE, 0x85, 5000, 4000));
    Run([] {}, 2000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kNotice, 23, 100}}));
    EXPECT_TRUE(Mouse().empty() || Mouse().size() == 2U) << "no double click";
    for (const MouseRecord& record : Mouse()) {
        EXPECT_NE(record.flags, 0x8002U);
    }
}

TEST_F(PenTimersScene, Button2DoubleWithoutToolWindowFallsBackToCode33) {
    FrameAt(100, Frame(0xEE, 0x87, 5000, 4000));
    FrameAt(150, Frame(0xEE, 0x83, 5000, 4000));
    FrameAt(200, Frame(0xEE, 0x87, 5000, 4000));
    bool defaultActionPending = true;
    m_machine.desktop.At(601, [&] {
        defaultActionPending = m_machine.desktop.HasTimer(
            m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                         contract::driver_window::kTitle),
            timer::kButtonDefaultAction.id);
    });
    Run([] {}, 2000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kNotice, 33, 0}}));
    EXPECT_FALSE(defaultActionPending);
    EXPECT_EQ(m_state.buttonClickCount[1], 0);
}

TEST_F(PenTimersScene, ClaimWithin80MsSuppressesOneDefaultAction) {
    Settings("IF_SET_F_NO_T=1\r\n");
    FrameAt(100, Frame(0xEE, 0x85, 5000, 4000));
    m_machine.desktop.At(650, [&] {
        m_machine.desktop.PostMessage(m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                                                   contract::driver_window::kTitle),
                                      m_state.qelDriverSetMessage, 10, 1);
    });
    FrameAt(900, Frame(0xEE, 0x83, 5000, 4000));
    FrameAt(1000, Frame(0xEE, 0x85, 5000, 4000));
    Run([] {}, 3000);
    EXPECT_TRUE(PostsAre(Reports(), {{600, contract::companion::kButtonNotice, 1, 0},
                                     {1500, contract::companion::kButtonNotice, 1, 0}}));
    const std::vector<MouseRecord> mouse = Mouse();
    ASSERT_EQ(mouse.size(), 2U) << "only the second click acts";
    EXPECT_EQ(m_state.defaultActionArmed, 1);
}

TEST_F(PenTimersScene, Button2RightClickWaitsAndRespectsCompanionTools) {
    FrameAt(100, Frame(0xEE, 0x87, 5000, 4000));
    Run([] {}, 3000);
    const std::vector<MouseRecord> mouse = Mouse();
    ASSERT_EQ(mouse.size(), 4U) << "left down, left up, cursor, right click";
    EXPECT_EQ(mouse[3].flags, 0x8019U);
    EXPECT_EQ(Reports().size(), 1U);
    EXPECT_EQ(m_machine.clock.TickCount() >= 3000U + 500U, true) << "the 500 ms wait";
}

TEST_F(PenTimersScene, HoldingOnACommandAreaRepostsAfterEachRearm) {
    for (std::uint64_t t = 100; t <= 1100; t += 20) {
        FrameAt(t, Frame(0xEE, 0x81, kLeftX, AreaY(0)));
    }
    Run([] {}, 2000);
    const std::vector<PostedMessage> reports = Reports();
    ASSERT_GE(reports.size(), 4U);
    ASSERT_LE(reports.size(), 6U);
    EXPECT_EQ(reports[0].atMs, 100U);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].wParam, 25U);
        EXPECT_GE(reports[i].atMs - reports[i - 1].atMs, 200U);
        EXPECT_LE(reports[i].atMs - reports[i - 1].atMs, 240U);
    }
}

} // namespace
} // namespace driver
