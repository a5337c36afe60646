#include "driver/app/dravik_ids.h"
#include "driver/ipc/frame_stream.h"
#include "driver/state/driver_ids.h"
#include "tests/support/driver_scene.h"
#include "tests/support/expect_posts.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace driver {
namespace {

using platform::PostedMessage;
namespace id = platform::id;
using testing_support::Frame;
using testing_support::kAnyTime;
using testing_support::PostsAre;

constexpr std::uint32_t kNotice = contract::companion::kNotice;
constexpr std::uint32_t kCommand = 0x111; // WM_COMMAND
namespace set = contract::driver_set;

// The driver with the companion's tool window and main window, and the
// pens' frames handed to its pipeline as the reader would.
class CompanionMessaging : public testing_support::DriverScene {
protected:
    CompanionMessaging() {
        m_state.messageTexts.connectCap = "Board";
        m_state.messageTexts.lKeyError = "Left key";
        m_state.messageTexts.rKeyError = "Right key";
        m_tool = m_machine.desktop.CreateLoggingWindow(std::string(contract::companion::kToolClass),
                                                       "Tools");
        m_companion =
            m_machine.desktop.CreateLoggingWindow(std::string(contract::companion::kMainClass),
                                                  std::string(contract::companion::kMainTitle));
        // The scene's frames map through the rig's board.
        At(1, [this] {
            m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        });
    }

    void Frames(std::uint64_t atMs, std::vector<PenFrame> frames) {
        At(atMs, [this, frames = std::move(frames)] {
            for (const PenFrame& frame : frames) {
                m_dialog->Pipeline().dispatcher.Dispatch(frame);
            }
        });
    }
    void DualPenButton(std::uint64_t atMs) { Post(atMs, kCommand, id::kOk, 0); }
    void DriverSet(std::uint64_t atMs, platform::WParam command, platform::LParam argument) {
        PostRegistered(atMs, contract::registered::kDriverSet, command, argument);
    }
    std::vector<PostedMessage> ToolPosts() const { return m_machine.desktop.MessagesTo(m_tool); }
    std::vector<PostedMessage> CompanionPosts() const {
        return m_machine.desktop.MessagesTo(m_companion);
    }
    // Reads count whole 8-byte frames from a companion's end, in real time.
    static std::vector<PenFrame> ReadFrames(platform::StreamEnd& end, int count) {
        std::vector<PenFrame> frames;
        PenFrame frame{};
        std::size_t filled = 0;
        while (static_cast<int>(frames.size()) < count) {
            const int got = end.Receive(std::span(frame).subspan(filled));
            if (got <= 0) {
                break;
            }
            filled += static_cast<std::size_t>(got);
            if (filled == frame.size()) {
                frames.push_back(frame);
                filled = 0;
            }
        }
        return frames;
    }

    platform::WindowHandle m_tool = platform::kNoWindow;
    platform::WindowHandle m_companion = platform::kNoWindow;
};

TEST_F(CompanionMessaging, TheButtonTwiceLeavesDualPenModeOffAndTellsTheToolWindowBothTimes) {
    DualPenButton(100);
    At(300, [this] {
        EXPECT_EQ(m_state.dualPenMode, 1);
        EXPECT_EQ(m_machine.desktop.GetDlgItemText(DriverWindow(), 1000), "进入双笔状态");
        EXPECT_EQ(m_machine.desktop.GetDlgItemText(DriverWindow(), id::kOk), "禁用双笔");
        EXPECT_EQ(m_machine.ipc.PipeInstances(std::string(contract::companion::kDualPenPipe)), 1)
            << "the instance that waits for the companion";
    });
    DualPenButton(400);
    Run(600);
    EXPECT_TRUE(PostsAre(ToolPosts(), {{100, kNotice, 1000, 3}, {400, kNotice, 1000, 4}}));
    EXPECT_GE(m_machine.clock.TickCount(), 600U + 100U) << "the tool window's 100 ms";
    EXPECT_EQ(m_state.dualPenMode, 0);
    EXPECT_EQ(m_dialog, nullptr);
}

TEST_F(CompanionMessaging, DriverSetCommandsNeedTheirArgumentAndAnswerTheQuery) {
    // Wrong arguments do nothing at all.
    DriverSet(100, set::kPipeChannel, 1);
    DriverSet(100, set::kSocketChannel, 3);
    DriverSet(100, set::kStopChannel, 1);
    DriverSet(100, set::kClaimClick, 2);
    At(150, [this] {
        EXPECT_EQ(m_state.dualPenMode, 0);
        EXPECT_EQ(m_state.defaultActionArmed, 1);
        EXPECT_EQ(m_machine.ipc.PipeInstances(std::string(contract::companion::kDualPenPipe)), 0);
    });
    // A socket channel with nobody listening: mode on, frames lost quietly.
    DriverSet(200, set::kSocketChannel, set::kChannelArgument);
    AwaitPost(210, user_message::kOpenDone, 1);
    DriverSet(300, set::kQueryDualPen, 5);
    Frames(350, {Frame(0xAA, 0x81, 8000, 8000), Frame(0xAA, 0x83, 8000, 8000)});
    DriverSet(400, set::kStopChannel, set::kChannelArgument);
    DriverSet(450, set::kStopChannel, set::kChannelArgument); // a second stop is harmless
    DriverSet(500, set::kQueryDualPen, 7);
    Run(600);
    EXPECT_TRUE(PostsAre(ToolPosts(), {{300, kNotice, 1002, 1}, {500, kNotice, 1002, 0}}));
    EXPECT_EQ(m_state.dualPenMode, 0);
    EXPECT_TRUE(m_machine.mouse.Events().empty()) << "second-pen frames went to the channel";
}

// The pipe channel is published, and dual-pen mode set, only once the
// companion has opened the pipe; the dialog keeps running meanwhile, and a
// stop while it waits leaves nothing behind.
TEST_F(CompanionMessaging, PipeChannelWaitsForItsCompanionWithoutHoldingTheDialog) {
    std::unique_ptr<platform::StreamEnd> companion;
    DriverSet(100, set::kPipeChannel, set::kChannelArgument);
    DriverSet(200, set::kStopChannelToo, set::kChannelArgument);
    AwaitPost(210, user_message::kOpenDone, 1);
    At(300, [this] {
        EXPECT_EQ(m_state.dualPenMode, 0);
        EXPECT_EQ(m_machine.ipc.PipeInstances(std::string(contract::companion::kDualPenPipe)), 0);
    });
    DriverSet(400, set::kPipeChannel, set::kChannelArgument);
    At(1500, [this] {
        EXPECT_EQ(m_state.dualPenMode, 0) << "no client yet";
        EXPECT_FALSE(m_dialog->Pipeline().currentChannel.HasChannel());
    });
    At(1600, [&] {
        ASSERT_TRUE(testing_support::WaitUntil([&] {
            companion =
                m_machine.ipc.OpenPipeClient(std::string(contract::companion::kDualPenPipe));
            return companion != nullptr;
        }));
    });
    AwaitPost(1610, user_message::kOpenDone, 2);
    At(1700, [this] { EXPECT_EQ(m_state.dualPenMode, 1); });
    Frames(1800, {Frame(0xAA, 0x81, 1000, 1000), Frame(0xAA, 0x83, 1000, 1000)});
    Run(2000);
    ASSERT_TRUE(companion);
    const std::vector<PenFrame> frames = ReadFrames(*companion, 2);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0], (PenFrame{0xAA, 0x00, 0x81, 0x00, 0xC0, 0x00, 0x6C, 0x87}));
    EXPECT_EQ(frames[1][2], 0x83);
}

// A companion that connects and then stops reading must not hold up the
// reader: the first pen keeps moving the pointer.
TEST_F(CompanionMessaging, AStalledCompanionDoesNotStallTheFirstPen) {
    std::unique_ptr<platform::Socket> listener;
    std::unique_ptr<platform::Socket> peer;
    At(50, [&] {
        m_machine.ipc.StartSockets();
        listener = m_machine.ipc.CreateSocket(platform::SocketType::Stream);
        ASSERT_TRUE(listener->Bind(std::string(contract::companion::kDualPenAddress),
                                   contract::companion::kDualPenPort) &&
                    listener->Listen(5));
    });
    DriverSet(100, set::kSocketChannel, set::kChannelArgument);
    At(150, [&] {
        // The connection is made on a worker; once it is, no wait is needed.
        AwaitPostNow(user_message::kOpenDone, 1);
        peer = listener->Accept(0);
    });
    // Virtual time, which only the channel's waits move here.
    std::uint32_t took = 0;
    At(300, [&] {
        const std::uint32_t started = m_machine.clock.TickCount();
        for (int i = 0; i < 2000; ++i) {
            m_dialog->Pipeline().dispatcher.Dispatch(Frame(0xAA, 0x81, 2000 + i % 500, 3000));
            m_dialog->Pipeline().dispatcher.Dispatch(Frame(0xEE, 0x81, 2000 + i % 500, 5000));
        }
        took = m_machine.clock.TickCount() - started;
    });
    Run(400);
    ASSERT_TRUE(peer);
    EXPECT_LE(took, driver::FrameStream::kStallWaitMs)
        << "one bounded wait, then frames are dropped";
    EXPECT_GT(m_machine.mouse.Events().size(), 900U) << "the first pen kept moving the pointer";
    m_machine.ipc.StopSockets();
}

// Button presses and queries that come while a pipe channel waits for its
// companion take effect in their order once it has come, as if the wait had
// held the dialog: the button, the tool window, the answers and whether the
// second pen's frames go to the channel then agree.
struct OpenCase {
    const char* name;
    std::vector<platform::WParam> during; // 0: the button; else a "QelDriverSet" command
    std::vector<testing_support::ExpectedPost> toolPosts;
    const char* buttonText;
    bool secondPenToChannel;
    bool companionComes = true;
};

void PrintTo(const OpenCase& c, std::ostream* out) {
    *out << c.name;
}

class RequestsDuringAnOpen : public CompanionMessaging,
                             public testing::WithParamInterface<OpenCase> {};

TEST_P(RequestsDuringAnOpen, ApplyInOrderOnceTheChannelOpened) {
    const OpenCase& c = GetParam();
    std::unique_ptr<platform::StreamEnd> companion;
    std::string buttonAtStart;
    At(50, [&] { buttonAtStart = m_machine.desktop.GetDlgItemText(DriverWindow(), id::kOk); });
    DriverSet(100, 30, 2);
    for (const platform::WParam request : c.during) {
        if (request == 0) {
            DualPenButton(200);
        } else {
            DriverSet(200, request, 2);
        }
    }
    At(300, [&] {
        if (!c.companionComes) {
            return; // given up at once
        }
        EXPECT_TRUE(ToolPosts().empty()) << "nothing happens before the channel opened";
        EXPECT_EQ(m_state.dualPenMode, 0);
    });
    At(1000, [&] {
        if (!c.companionComes) {
            return;
        }
        ASSERT_TRUE(testing_support::WaitUntil([&] {
            companion = m_machine.ipc.OpenPipeClient("\\\\.\\Pipe\\PipeStdDataDual");
            return companion != nullptr;
        }));
        AwaitPostNow(user_message::kOpenDone, 1);
    });
    Frames(1500, {Frame(0xAA, 0x81, 1000, 1000), Frame(0xAA, 0x83, 1000, 1000)});
    std::string button;
    At(1600, [&] { button = m_machine.desktop.GetDlgItemText(DriverWindow(), id::kOk); });
    Run(1700);
    EXPECT_TRUE(PostsAre(ToolPosts(), c.toolPosts));
    EXPECT_EQ(button, c.buttonText == nullptr ? buttonAtStart : c.buttonText);
    EXPECT_EQ(m_machine.mouse.Events().empty(), c.secondPenToChannel);
}

INSTANTIATE_TEST_SUITE_P(
    CompanionMessaging, RequestsDuringAnOpen,
    testing::Values(
        OpenCase{"Press", {0}, {{kAnyTime, kNotice, 1000, 4}}, "启用双笔", false},
        OpenCase{"Query", {100}, {{kAnyTime, kNotice, 1002, 1}}, nullptr, true},
        OpenCase{"PressQueryPress",
                 {0, 100, 0},
                 {{kAnyTime, kNotice, 1000, 4},
                  {kAnyTime, kNotice, 1002, 0},
                  {kAnyTime, kNotice, 1000, 3}},
                 "禁用双笔",
                 true},
        OpenCase{
            "PressThenStop", {0, 31}, {{kAnyTime, kNotice, 1000, 4}}, "启用双笔", false, false},
        OpenCase{
            "QueryThenSocket", {100, 32}, {{kAnyTime, kNotice, 1002, 1}}, nullptr, true, false}),
    [](const testing::TestParamInfo<OpenCase>& param) { return param.param.name; });

// The driver's own wake-ups carry nothing it trusts: forged ones, with any
// parameters, neither publish a channel still opening nor start a timer.
TEST_F(CompanionMessaging, ForgedWakeUpsChangeNothing) {
    DriverSet(100, 30, 2); // waits for a companion that does not come
    const std::pair<platform::WParam, platform::LParam> forged[] = {
        {1, 1}, {2, 1}, {0, 1}, {67, 500}, {112, 200}, {222, 1000}, {~0U, -1}};
    for (const auto& [wParam, lParam] : forged) {
        Post(200, user_message::kOpenDone, wParam, lParam);
        Post(200, user_message::kStartTimerRequest, wParam, lParam);
    }
    At(300, [this] {
        EXPECT_EQ(m_state.dualPenMode, 0);
        EXPECT_FALSE(m_dialog->Pipeline().currentChannel.HasChannel());
        for (const auto id : {67U, 112U, 222U}) {
            EXPECT_FALSE(m_machine.desktop.HasTimer(DriverWindow(), id)) << "timer " << id;
        }
    });
    Run(400);
}

TEST_F(CompanionMessaging, AnnouncementRepeatsOnlyForAnIdentifiedBoard) {
    const PenFrame twoPens = {0xE8, 0xAF, 0, 0, 0, 0, 0, 0x47};
    PostRegistered(100, contract::registered::kOk, 0, 0);
    Frames(200, {twoPens});
    PostRegistered(300, contract::registered::kOk, 0, 0);
    Run(400);
    EXPECT_TRUE(
        PostsAre(CompanionPosts(), {{200, kNotice, 6, contract::companion::kAnnounceModel},
                                    {200, kNotice, 0, contract::companion::kAnnounceDone},
                                    {300, kNotice, 6, contract::companion::kAnnounceModel},
                                    {300, kNotice, 0, contract::companion::kAnnounceDone},
                                    {kAnyTime, kNotice, 0, contract::companion::kBoardGone}}))
        << "then gone, as the driver ends";
}

// Each key fault shows its side's text, but never more than one box at a
// time, however many faults the board sends while one is up.
TEST_F(CompanionMessaging, KeyFaultsShowOneBoxAtATime) {
    m_machine.desktop.KeepMessageBoxesOpenFor(1000);
    Post(100, contract::driver_message::kKeyError, 0, 1);
    for (std::uint64_t at = 200; at < 220; ++at) {
        Post(at, contract::driver_message::kKeyError, 0, 1);
    }
    Post(1500, contract::driver_message::kKeyError, 0, 0);
    Run(3000);
    const auto boxes = m_machine.desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].text, "Right key");
    EXPECT_EQ(boxes[1].text, "Left key");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, "Board");
        EXPECT_NE(box.owner, platform::kNoWindow) << "owned by the driver's window";
        EXPECT_EQ(box.style, 0x40000U);
    }
}

// A board that floods key faults through the reader: each frame is one
// message to the dialog, a box stays up alone while the rest are handled,
// and the dialog keeps serving the companion meanwhile.
TEST_F(CompanionMessaging, AFloodOfKeyFaultFramesShowsOneBoxAndTheDialogKeepsUp) {
    constexpr int kFaults = 10000;
    m_machine.desktop.KeepMessageBoxesOpenFor(1000);
    At(100, [this] {
        for (int i = 0; i < kFaults; ++i) {
            m_dialog->Pipeline().dispatcher.Dispatch(Frame(0xEE, i % 2 == 0 ? 0xAE : 0xAF));
        }
    });
    PostRegistered(500, contract::registered::kDriverSet, 100, 0); // answered while the box is up
    Frames(2000, {Frame(0xEE, 0xAF)});
    int posted = 0;
    At(3900, [&] {
        posted = m_machine.desktop.PostCount(DriverWindow(), contract::driver_message::kKeyError);
    });
    Run(4000);
    EXPECT_EQ(posted, kFaults + 1);
    const auto boxes = m_machine.desktop.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].text, "Right key");
    EXPECT_EQ(boxes[1].text, "Left key");
    EXPECT_TRUE(PostsAre(ToolPosts(), {{500, kNotice, 1002, 0}}));
}

// The calibration program: raw frames once it has opened its pipe, touches
// on the orientation areas among them when asked; its end reloads the
// calibration only for (0, 0), and command 33 comes back 1000 ms later.
TEST_F(CompanionMessaging, OrientationForwardsRawFramesAndReloadsOnlyWhenAsked) {
    const std::string settings =
        m_machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=5\r\nhdot=4\r\n");
    std::unique_ptr<platform::StreamEnd> orient;
    Post(100, contract::driver_message::kOrientationStart, 0, 8);
    At(150, [&] {
        EXPECT_EQ(m_state.orientationMode, 1);
        EXPECT_EQ(m_state.orientationForwardAll, 1);
        EXPECT_EQ(m_state.codePermitted, 0);
        orient = m_machine.ipc.OpenPipeClient(std::string(contract::orientation::kPipe));
        ASSERT_TRUE(orient);
    });
    AwaitPost(160, user_message::kOpenDone, 1);
    const PenFrame touch = Frame(0xEE, 0x81, 300, 13000); // on the left orientation area
    Frames(200, {touch, Frame(0xEE, 0x83, 300, 13000)});
    Post(300, contract::driver_message::kOrientationDone, 1, 0);
    At(400, [&] {
        EXPECT_EQ(m_state.orientationMode, 0);
        EXPECT_EQ(m_dialog->Pipeline().calibration.Snapshot().grid.ColumnCount, 2)
            << "(1, 0): no reload";
    });
    At(1299, [&] { EXPECT_EQ(m_state.codePermitted, 0); });
    At(1301, [&] { EXPECT_EQ(m_state.codePermitted, 1); });
    Post(1400, contract::driver_message::kOrientationDone, 0, 0);
    At(1500, [&] { EXPECT_EQ(m_dialog->Pipeline().calibration.Snapshot().grid.ColumnCount, 5); });
    Run(1600);
    ASSERT_TRUE(orient);
    const std::vector<PenFrame> frames = ReadFrames(*orient, 2);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0], touch);
    EXPECT_EQ(frames[1][2], 0x83);
}

} // namespace
} // namespace driver
