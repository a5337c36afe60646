#include "driver/pointer/coordinate_transform.h"
#include "driver/state/driver_ids.h"
#include "platform/window_messages.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;
using testing_support::RecordingChannel;
using testing_support::RecordingDialogRequests;

constexpr std::uint8_t kEE = 0xEE;
constexpr std::uint8_t kAA = 0xAA;

class ReaderDispatch : public ::testing::Test {
protected:
    void Send(const PenFrame& frame) { rig.dispatcher.Dispatch(frame); }

    std::vector<std::pair<WParam, LParam>> Notices(std::uint32_t message) const {
        std::vector<std::pair<WParam, LParam>> out;
        for (const PostedMessage& m : rig.CompanionMessages()) {
            if (m.message == message) {
                out.emplace_back(m.wParam, m.lParam);
            }
        }
        return out;
    }

    std::pair<std::int32_t, std::int32_t> Screen(std::int32_t x, std::int32_t y) const {
        rig.calibration.Read([&](const Calibration& c) { return BoardToScreen(c.grid, x, y); });
        return {x, y};
    }

    std::shared_ptr<RecordingChannel> OpenChannel() {
        auto channel = std::make_shared<RecordingChannel>();
        rig.currentChannel.Publish(channel);
        return channel;
    }

    testing_support::ReaderRig rig;
};

TEST_F(ReaderDispatch, BadCheckByteIsDroppedBeforeAnythingElse) {
    PenFrame touch = Frame(kEE, 0x81, 8000, 8000);
    touch[7] ^= 0x01;
    Send(touch);
    PenFrame fault = Frame(kEE, 0xAE);
    fault[7] ^= 0x80;
    Send(fault);
    EXPECT_TRUE(rig.mouse.Records().empty());
    EXPECT_TRUE(rig.dialog.Posts().empty());
}

TEST_F(ReaderDispatch, HeldButtonPostsOnceThenReleasesBeforeTheNextTouchMoves) {
    // Mouse events carry the count of companion posts made before them.
    for (int i = 0; i < 3; ++i) {
        Send(Frame(kEE, 0x89, 8000, 8000));
    }
    EXPECT_EQ(Notices(contract::companion::kButtonNotice),
              (std::vector<std::pair<WParam, LParam>>{{5, 0}}));
    EXPECT_EQ(rig.clock.TickCount(), 1000U + 200U) << "one 200 ms pause";
    const std::size_t eventsWhileHeld = rig.mouse.Events().size();
    EXPECT_GE(eventsWhileHeld, 1U) << "the pen writes while the button is held";

    Send(Frame(kEE, 0x81, 8100, 8000));
    EXPECT_EQ(Notices(contract::companion::kButtonNotice),
              (std::vector<std::pair<WParam, LParam>>{{5, 0}, {6, 0}}));
    EXPECT_EQ(rig.clock.TickCount(), 1000U + 400U);
    EXPECT_GT(rig.mouse.Events().size(), eventsWhileHeld);

    Send(Frame(kEE, 0x8A, 8100, 8000));
    Send(Frame(kEE, 0x83, 8100, 8000));
    EXPECT_EQ(Notices(contract::companion::kButtonNotice),
              (std::vector<std::pair<WParam, LParam>>{{5, 0}, {6, 0}, {7, 0}, {8, 0}}));
}

TEST_F(ReaderDispatch, KeyFaultsPostOneMessagePerFrameToTheDialog) {
    Send(Frame(kEE, 0xAE));
    Send(Frame(kEE, 0xAE));
    Send(Frame(kEE, 0xAF));
    const std::vector<RecordingDialogRequests::Posted> expected = {
        {contract::driver_message::kKeyError, 0, 1},
        {contract::driver_message::kKeyError, 0, 1},
        {contract::driver_message::kKeyError, 0, 0}};
    EXPECT_EQ(rig.dialog.Posts(), expected);
}

TEST_F(ReaderDispatch, PenButtonClicksCountOncePerContact) {
    Send(Frame(kEE, 0x85, 8000, 6000));
    Send(Frame(kEE, 0x85, 8000, 6000)); // no Lift between: not armed
    EXPECT_EQ(rig.state.buttonClickCount[0], 1);
    const auto [x, y] = Screen(8000, 6000);
    EXPECT_EQ(rig.state.buttonClickX, x);
    EXPECT_EQ(rig.state.buttonClickY, y);
    Send(Frame(kEE, 0x83, 8000, 6000));
    Send(Frame(kEE, 0x87, 8000, 6000));
    Send(Frame(kEE, 0x83, 8000, 6000));
    Send(Frame(kEE, 0x85, 8000, 6000));
    EXPECT_EQ(rig.state.buttonClickCount[0], 2);
    EXPECT_EQ(rig.state.buttonClickCount[1], 1);
    const std::vector<DialogTimer> expected = {
        {112, 200}, {67, 500}, {112, 200}, {67, 500}, {112, 200}};
    EXPECT_EQ(rig.dialog.TimerStarts(), expected)
        << "timer 67 starts with the first click of a button";
}

TEST_F(ReaderDispatch, SecondPenInTheWritingAreaMovesThePointerOrGoesToTheChannel) {
    Send(Frame(kAA, 0x81, 8000, 8000));
    const auto [x, y] = Screen(8000, 8000);
    ASSERT_EQ(rig.mouse.Events().size(), 1U);
    EXPECT_EQ(rig.mouse.Events()[0].flags, 0x8003U);
    EXPECT_EQ(rig.mouse.Events()[0].x, ScaleToAbsolute(x, 1920));
    Send(Frame(kAA, 0x83, 8000, 8000));
    rig.mouse.Clear();

    const auto channel = OpenChannel();
    rig.state.dualPenMode = 1;
    Send(Frame(kAA, 0x81, 8000, 8000, 0x34));
    EXPECT_TRUE(rig.mouse.Records().empty());
    ASSERT_EQ(channel->Frames().size(), 1U);
    const PenFrame expected = BuildScreenPenFrame(Frame(kAA, 0x81, 8000, 8000, 0x34), 0x81, x, y);
    EXPECT_EQ(channel->Frames()[0], std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(rig.state.strokeCount, 1);
    EXPECT_EQ(rig.state.firstStrokeX, x);

    rig.currentChannel.Retire();
    Send(Frame(kAA, 0x81, 8000, 8000)); // no channel: dropped
    EXPECT_TRUE(rig.mouse.Records().empty());
}

TEST_F(ReaderDispatch, SecondStrokeLiftedSoonAndNearIsADoubleTap) {
    struct Case {
        std::uint32_t gapMs;
        std::int32_t apart;
        std::uint8_t secondLift;
    };
    // Pixels apart on the screen; the rig maps 8 board units to a pixel.
    const Case cases[] = {{600, 10, 0x88}, {700, 10, 0x83}, {600, 15, 0x83}, {649, 14, 0x88}};
    for (const Case& c : cases) {
        testing_support::ReaderRig fresh;
        auto channel = std::make_shared<RecordingChannel>();
        fresh.currentChannel.Publish(channel);
        fresh.state.dualPenMode = 1;
        const auto send = [&](const PenFrame& f) {
            fresh.dispatcher.Dispatch(f);
        };
        send(Frame(kAA, 0x81, 5000, 5000));
        send(Frame(kAA, 0x81, 5200, 5000));
        send(Frame(kAA, 0x83, 5200, 5000));
        fresh.clock.Advance(c.gapMs);
        send(Frame(kAA, 0x81, 5000 + 8 * c.apart, 5000));
        send(Frame(kAA, 0x83, 5000 + 8 * c.apart, 5000));
        const auto frames = channel->Frames();
        ASSERT_EQ(frames.size(), 5U);
        EXPECT_EQ(frames[2][2], 0x83) << "the first lift is plain";
        EXPECT_EQ(frames[4][2], c.secondLift) << c.gapMs << " ms, " << c.apart << " px";
        EXPECT_TRUE(
            FrameChecksumOk(PenFrame{frames[4][0], frames[4][1], frames[4][2], frames[4][3],
                                     frames[4][4], frames[4][5], frames[4][6], frames[4][7]}));
        EXPECT_EQ(fresh.state.strokeCount, 0) << "counting starts over";
    }
}

// A stroke that ends in a strip that maps nowhere must still let go of the
// button, where the pen last mapped.
TEST_F(ReaderDispatch, LiftWherePointsMapNowhereStillReleasesTheButton) {
    Calibration turned = testing_support::ReaderCalibration();
    turned.grid = testing_support::TurnedFiveByFour();
    rig.calibration.Publish(turned);
    const PenFrame frames[] = {
        {0xEE, 0x00, 0x81, 0x41, 0x40, 0x5C, 0x6C, 0x5E}, // (8000, 4500)
        {0xEE, 0x00, 0x81, 0x41, 0x40, 0x5C, 0x6C, 0x5E},
        {0xEE, 0x00, 0x81, 0x5C, 0x0F, 0x55, 0x57, 0x3E}, // (4593, 5417): no cell
        {0xEE, 0x00, 0x83, 0x5C, 0x0F, 0x55, 0x57, 0x3C},
    };
    for (const PenFrame& frame : frames) {
        Send(frame);
    }
    const auto events = rig.mouse.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().flags, 0x8003U) << "down";
    EXPECT_EQ(events.back().flags, 0x8004U) << "the lift let go";
    const auto [x, y] = Screen(8000, 4500);
    EXPECT_EQ(events.back().x, x * 65535 / 1920);
    EXPECT_EQ(events.back().y, y * 65535 / 1080);
}

TEST_F(ReaderDispatch, IdentificationSetsFlagsAndAnnouncesOnce) {
    const PenFrame twoPenBoard = {0xE8, 0xAF, 0, 0, 0, 0, 0, 0x47}; // areas, two pens
    Send(twoPenBoard);
    EXPECT_EQ(rig.state.boardIdentified, 1);
    EXPECT_TRUE(rig.state.functionAreasEnabled);
    EXPECT_EQ(rig.state.dualCapable, 1);
    EXPECT_EQ(rig.state.announcePending, 0);
    EXPECT_EQ(Notices(contract::companion::kNotice),
              (std::vector<std::pair<WParam, LParam>>{{6, contract::companion::kAnnounceModel},
                                                      {0, contract::companion::kAnnounceDone}}));

    const PenFrame plain = {0xEA, 0x55, 0, 0, 0, 0, 0, 0xBF};
    Send(plain);
    EXPECT_FALSE(rig.state.functionAreasEnabled);
    EXPECT_EQ(rig.state.dualCapable, 0);
    EXPECT_EQ(Notices(contract::companion::kNotice).size(), 2U) << "announced once";

    const PenFrame unknown = {0xE5, 0xED, 0, 0, 0, 0, 0, 0xE5 ^ 0xED};
    rig.state.boardIdentified = 0;
    Send(unknown);
    EXPECT_EQ(rig.state.boardIdentified, 0);
}

TEST_F(ReaderDispatch, OrientationModeForwardsRawFramesByStatusOnly) {
    auto pipe = std::make_shared<RecordingChannel>();
    rig.orientationPipe.Publish(pipe);
    const WindowHandle calibrationWindow =
        rig.desktop.CreateLoggingWindow(std::string(contract::orientation::kWindowClass), "");
    rig.state.orientationMode = 1;
    rig.state.leftTapArmed = 0;

    const PenFrame click = Frame(kEE, 0x85, 8000, 8000);
    const PenFrame secondTouch = Frame(kAA, 0x81, 8000, 8000);
    const PenFrame lift = Frame(kEE, 0x83, 8000, 8000);
    const PenFrame identification = {0xE8, 0x5F, 0, 0, 0, 0, 0, 0xB7};
    Send(click);
    Send(secondTouch);
    Send(identification);
    Send(lift);
    const auto frames = pipe->Frames();
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0], std::vector<std::uint8_t>(secondTouch.begin(), secondTouch.end()));
    EXPECT_EQ(frames[1], std::vector<std::uint8_t>(lift.begin(), lift.end()));
    EXPECT_EQ(rig.state.leftTapArmed, 0) << "a lift in orientation mode arms nothing";
    EXPECT_EQ(rig.state.boardIdentified, 0);
    EXPECT_TRUE(rig.mouse.Records().empty());

    // The orientation area (left area 12) closes the calibration program once per arming.
    rig.state.functionAreasEnabled = true;
    Send(Frame(kEE, 0x81, 300, 13000));
    Send(Frame(kEE, 0x81, 300, 13000));
    EXPECT_EQ(pipe->Frames().size(), 2U) << "area touches are not forwarded";
    EXPECT_EQ(rig.desktop.MessagesTo(calibrationWindow),
              (std::vector<PostedMessage>{{rig.desktop.NowMs(), 0x10, 1, 1}}));
    rig.state.orientationForwardAll = 1;
    Send(Frame(kEE, 0x81, 300, 13000));
    EXPECT_EQ(pipe->Frames().size(), 3U) << "forward-all sends area touches too";

    Send(Frame(kEE, 0xD8));
    EXPECT_EQ(rig.state.orientationMode, 0);
    EXPECT_EQ(rig.desktop.MessagesTo(calibrationWindow).size(), 2U);
}

// Orientation mode with no calibration program to feed (it died, or never
// came): a touch of the orientation area ends the mode as the program's
// cancel would, and the pen drives the pointer again.
TEST_F(ReaderDispatch, TheOrientationAreaEndsAnOrientationNobodyRuns) {
    rig.state.functionAreasEnabled = true;
    rig.state.orientationMode = 1;
    rig.state.orientationForwardAll = 0;
    rig.state.codePermitted = 0;
    Send(Frame(kEE, 0x81, 300, 13000));
    EXPECT_EQ(rig.state.orientationMode, 0);
    EXPECT_EQ(rig.state.orientationForwardAll, 0);
    EXPECT_EQ(rig.dialog.TimerStarts(),
              (std::vector<DialogTimer>{timer::kCommandRearm, timer::kCodeRearm}))
        << "command 33 comes back as after a cancel";
    Send(Frame(kEE, 0x83, 300, 13000));
    Send(Frame(kEE, 0x81, 8000, 8000));
    EXPECT_EQ(rig.mouse.Events().size(), 1U);
}

TEST_F(ReaderDispatch, TouchesOnAreasReachTheAreasNotThePointer) {
    rig.state.functionAreasEnabled = true;
    Send(Frame(kEE, 0x81, 300, 1000)); // left area 0
    EXPECT_TRUE(rig.mouse.Records().empty());
    EXPECT_EQ(Notices(contract::companion::kNotice),
              (std::vector<std::pair<WParam, LParam>>{{25, 0}}));
    Send(Frame(kEE, 0x81, 8000, 8000)); // writing area
    EXPECT_EQ(rig.mouse.Events().size(), 1U);
    Send(Frame(kEE, 0xFA)); // a board key
    EXPECT_EQ(Notices(contract::companion::kNotice),
              (std::vector<std::pair<WParam, LParam>>{{25, 0}, {25, 2}}));
}

namespace status_table {

// Everything a frame can change that the driver's peers or its later frames see.
struct Effects {
    std::size_t mouse = 0, dialogPosts = 0, timers = 0, companion = 0, programs = 0;
    std::size_t channel = 0, pipe = 0;
    int clicks = 0, held = 0, orientation = 0, identified = 0;
    friend bool operator==(const Effects&, const Effects&) = default;
};

Effects Observe(testing_support::ReaderRig& rig, RecordingChannel& channel,
                RecordingChannel& pipe) {
    return {rig.mouse.Records().size(),
            rig.dialog.Posts().size(),
            rig.dialog.TimerStarts().size(),
            rig.CompanionMessages().size(),
            rig.machine.shell.Opened().size(),
            channel.Frames().size(),
            pipe.Frames().size(),
            rig.state.buttonClickCount[0] + rig.state.buttonClickCount[1],
            rig.state.button1Held + rig.state.button2Held,
            rig.state.orientationMode,
            rig.state.boardIdentified};
}

// What a frame in orientation mode may touch: the calibration program's pipe
// and the mode itself, nothing of the pointer, the companion or the channel.
Effects OutsideOrientation(Effects effects) {
    effects.pipe = 0;
    effects.orientation = 0;
    return effects;
}

} // namespace status_table

// All 256 statuses behind each kind of header, with the pen on the board,
// in the normal modes and in orientation mode: outside orientation mode a header the driver does
// not know and a pen status without its top bit change nothing, and orientation mode keeps every
// frame away from the pointer, the companion and the channel.
TEST(ReaderStatusTable, FramesThatMeanNothingChangeNothing) {
    using status_table::Effects;
    constexpr std::array<std::array<std::uint8_t, 2>, 4> kHeaders = {
        {{kEE, 0}, {kAA, 0}, {0xE8, 0x5F}, {0x12, 0x34}}};
    for (const bool orientation : {false, true}) {
        for (const bool dualPen : {false, true}) {
            for (const auto& [header, second] : kHeaders) {
                for (int status = 0; status < 256; ++status) {
                    SCOPED_TRACE(testing::Message()
                                 << std::hex << "header " << int{header} << " status " << status
                                 << (orientation ? " orientation" : "")
                                 << (dualPen ? " dual-pen" : ""));
                    testing_support::ReaderRig rig(testing_support::SimMachine::Disk::None);
                    auto channel = std::make_shared<RecordingChannel>();
                    auto pipe = std::make_shared<RecordingChannel>();
                    rig.currentChannel.Publish(channel);
                    rig.orientationPipe.Publish(pipe);
                    rig.state.codePermitted = 1;
                    rig.state.announcePending = 0;
                    // The pen is down, so that a lift has something to end.
                    rig.dispatcher.Dispatch(Frame(header == kAA ? kAA : kEE, 0x81, 8000, 8000));
                    rig.state.dualPenMode = dualPen ? 1 : 0;
                    rig.state.orientationMode = orientation ? 1 : 0;
                    const Effects before = status_table::Observe(rig, *channel, *pipe);
                    rig.dispatcher.Dispatch(
                        Frame(header, static_cast<std::uint8_t>(status), 8000, 8000, second));
                    const Effects after = status_table::Observe(rig, *channel, *pipe);
                    if (!orientation && (header == 0x12 || (header != 0xE8 && status < 0x80))) {
                        EXPECT_EQ(after, before);
                    }
                    if (orientation) {
                        EXPECT_EQ(status_table::OutsideOrientation(after),
                                  status_table::OutsideOrientation(before));
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace driver
