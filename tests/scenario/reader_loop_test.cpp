#include "tests/support/poll.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <span>
#include <vector>

namespace driver {
namespace {

using testing_support::Frame;

using testing_support::Bytes;

class ReaderLoopTest : public ::testing::Test {
protected:
    ReaderLoopTest() { rig.state.linkOpen = 1; }

    std::size_t MouseEvents() const { return rig.mouse.Events().size(); }

    testing_support::ReaderRig rig;
};

TEST_F(ReaderLoopTest, ShortSerialReadIsCheckedWithTheBytesLeftFromTheFrameBefore) {
    const PenFrame first = Frame(0xEE, 0x81, 8000, 8000);
    rig.serial.Arrive(Bytes(first));
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), 1U);

    // Five new bytes that, with the three stale ones, form a good frame.
    PenFrame second = first;
    second[2] = 0x83;  // 0x81 ^ 0x02 ...
    second[4] ^= 0x02; // ... and back, so the stale check byte still holds
    ASSERT_TRUE(FrameChecksumOk(second));
    rig.serial.Arrive({second.begin(), second.begin() + 5});
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(rig.mouse.Events().back().flags, 0x8004U) << "the lift went through";

    // Five bytes that do not fit the stale three are dropped.
    rig.serial.Arrive({0xEE, 0x00, 0x81, 0x10, 0x10});
    const std::size_t before = MouseEvents();
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), before);
}

// A burst that starts mid-frame (a line that came up mid-stream) is read in
// chunks of 8 that straddle its frames, and one cut short leaves a short
// last read: none of it acts, and the next burst, after a pause, is read in
// step again. Every offset, whole or cut.
TEST(ReaderLoopSteps, OutOfStepAndTruncatedReadsActOnNothingAndStepBackAtThePause) {
    const PenFrame lift = Frame(0xEE, 0x83, 8000, 8000);
    for (std::size_t offset = 1; offset < 8; ++offset) {
        for (std::size_t cut = 0; cut < 8; ++cut) {
            SCOPED_TRACE(testing::Message() << "offset " << offset << " cut " << cut);
            testing_support::ReaderRig rig(testing_support::SimMachine::Disk::None);
            rig.state.linkOpen = 1;
            // The tail of a frame nobody saw begin, then a stroke; the last frame cut.
            std::vector<std::uint8_t> burst(lift.end() - static_cast<std::ptrdiff_t>(offset),
                                            lift.end());
            for (const std::int32_t x : {8000, 8100, 8200}) {
                const PenFrame touch = Frame(0xEE, 0x81, x, 8000);
                burst.insert(burst.end(), touch.begin(), touch.end());
            }
            burst.resize(burst.size() - cut);
            rig.serial.Arrive(burst);
            for (std::size_t read = 0; read < (burst.size() + 7) / 8; ++read) {
                ASSERT_TRUE(rig.loop.RunOnce());
            }
            EXPECT_TRUE(rig.mouse.Records().empty());
            EXPECT_TRUE(rig.CompanionMessages().empty());
            EXPECT_EQ(rig.state.boardIdentified, 0);
            rig.serial.Arrive(Bytes(Frame(0xEE, 0x81, 9000, 8000)));
            ASSERT_TRUE(rig.loop.RunOnce());
            EXPECT_EQ(rig.mouse.Events().size(), 1U) << "in step again";
        }
    }
}

// HID reads of every length the device could return: only a report that
// holds the whole frame (10 bytes or more) acts; a shorter one reads as the
// frame's first bytes and zeros and fails its check, and one of 0 bytes is
// read past after a short pause, as a failing read is.
TEST(ReaderLoopHidReads, OnlyReportsHoldingTheWholeFrameActAndEmptyOnesPause) {
    const PenFrame touch = Frame(0xEE, 0x81, 8000, 8000);
    for (std::size_t length = 0; length <= kHidReportSize; ++length) {
        SCOPED_TRACE(testing::Message() << length << " bytes");
        testing_support::ReaderRig rig(testing_support::SimMachine::Disk::None);
        rig.state.linkOpen = 1;
        rig.state.hidMode = 1;
        rig.PlugInHidBoard();
        const HidReport report = testing_support::HidReportWith(touch);
        rig.hidPort.Feed(testing_support::ReaderRig::kHidBoardPath,
                         std::span(report).first(length));
        ASSERT_TRUE(rig.loop.RunOnce());
        EXPECT_EQ(rig.mouse.Events().size(), length >= 10 ? 1U : 0U);
        EXPECT_EQ(rig.clock.TickCount(),
                  length == 0 ? 1000U + HidFrameSource::kRetryPauseMs : 1000U);
    }
}

TEST_F(ReaderLoopTest, SilentBoardGetsOneStartCommandPerWaitAndOneOutstandingRead) {
    ASSERT_TRUE(rig.loop.RunOnce());
    ASSERT_TRUE(rig.loop.RunOnce());
    const auto writes = rig.serial.Writes();
    ASSERT_EQ(writes.size(), 2U);
    EXPECT_EQ(writes[0].atMs, 2000U) << "after a 1000 ms wait";
    EXPECT_EQ(writes[1].atMs, 3030U) << "the 30 ms pause, then the next wait";
    EXPECT_EQ(writes[0].bytes, Bytes(StartCommand));
    EXPECT_EQ(rig.clock.TickCount(), 3060U);
    EXPECT_EQ(rig.serial.ReadsStarted(), 1) << "the read stays outstanding";

    rig.serial.Arrive(Bytes(Frame(0xEE, 0x81, 8000, 8000)));
    rig.state.hidSilentTicks = 5;
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), 1U);
    EXPECT_EQ(rig.state.hidSilentTicks, 0);
    EXPECT_EQ(rig.serial.MaxOutstandingReads(), 1);
    EXPECT_EQ(rig.serial.Writes().size(), 2U);
}

TEST_F(ReaderLoopTest, FailedSerialReadEndsTheThreadWithMinusOne) {
    rig.serial.FailNextRead();
    EXPECT_EQ(rig.loop.ReaderThreadProc(), -1);
    EXPECT_EQ(rig.machine.trace.Lines().size(), 1U) << "the trace says why";
    EXPECT_FALSE(rig.serial.EventOpen());
    EXPECT_EQ(rig.state.linkOpen, 1) << "the supervision decides what follows";
    EXPECT_GE(rig.serial.ErrorClears(), 2);
}

// One failed read is a line error and is read past; reads that fail back to
// back mean the line is gone (a port that hung up fails every read at once)
// and end the reader rather than spin, unless it is the closer's purge that
// ended the read.
TEST_F(ReaderLoopTest, OneLineErrorIsReadPastAHungUpPortEndsTheReader) {
    rig.serial.LineError();
    ASSERT_TRUE(rig.loop.RunOnce());
    rig.serial.Arrive(Bytes(Frame(0xEE, 0x81, 8000, 8000)));
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), 1U) << "the next read brings the frame";

    rig.serial.HangUp();
    int passes = 1;
    while (rig.loop.RunOnce()) {
        ASSERT_LT(++passes, SerialFrameSource::kFailuresToGiveUp + 1);
    }
    EXPECT_EQ(passes, SerialFrameSource::kFailuresToGiveUp);
    EXPECT_FALSE(rig.serial.EventOpen());

    testing_support::ReaderRig closing;
    closing.state.linkOpen = 1;
    ASSERT_TRUE(closing.serialSource.Begin());
    ASSERT_TRUE(closing.loop.RunOnce()); // a read is outstanding now
    closing.state.linkOpen = 0;
    closing.serial.HangUp();
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(closing.loop.RunOnce());
    }
    EXPECT_TRUE(closing.serial.EventOpen());
}

// A start command that flow control holds back is given up after its
// bound, and reading goes on.
TEST_F(ReaderLoopTest, StalledStartCommandFailsWithinItsBound) {
    rig.serial.StallWrites(true);
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(rig.clock.TickCount(), 1000U + SerialFrameSource::kWaitMs +
                                         SerialFrameSource::kWriteBoundMs +
                                         SerialFrameSource::kWakePauseMs);
    rig.serial.Arrive(Bytes(Frame(0xEE, 0x81, 8000, 8000)));
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), 1U);
}

TEST_F(ReaderLoopTest, NoEventNoThread) {
    rig.serial.FailEventCreation(true);
    EXPECT_EQ(rig.loop.ReaderThreadProc(), -1);
    EXPECT_EQ(rig.serial.ReadsStarted(), 0);
}

TEST_F(ReaderLoopTest, HidReportsCarryTheFrameInBytes2To9AndFailuresBackOff) {
    rig.state.hidMode = 1;
    rig.PlugInHidBoard();
    rig.FeedHid(Frame(0xEE, 0x81, 8000, 8000));
    ASSERT_TRUE(rig.loop.RunOnce());
    EXPECT_EQ(MouseEvents(), 1U);
    EXPECT_EQ(rig.clock.TickCount(), 1000U) << "a read with data is never delayed";

    // A gone device: each failed read pauses instead of spinning.
    rig.hidPort.RemoveDevice(testing_support::ReaderRig::kHidBoardPath);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(rig.loop.RunOnce());
    }
    EXPECT_EQ(rig.clock.TickCount(), 1000U + 5 * HidFrameSource::kRetryPauseMs);
    EXPECT_EQ(MouseEvents(), 1U);
}

// The real loop on its own thread: frames flow, and clearing linkOpen
// (with the read aborted, as the closer does) ends it with 0.
TEST_F(ReaderLoopTest, ThreadedLoopStopsCleanlyWhenTheLinkCloses) {
    for (const bool hid : {false, true}) {
        testing_support::ReaderRig threaded;
        threaded.state.linkOpen = 1;
        threaded.state.hidMode = hid ? 1 : 0;
        threaded.serial.SetThreaded(true);
        if (hid) {
            threaded.PlugInHidBoard();
        }
        auto result =
            std::async(std::launch::async, [&] { return threaded.loop.ReaderThreadProc(); });
        for (int i = 0; i < 50; ++i) {
            const PenFrame frame = Frame(0xEE, i == 49 ? 0x83 : 0x81, 2000 + 80 * i, 4000);
            if (hid) {
                threaded.FeedHid(frame);
            } else {
                threaded.serial.Arrive(Bytes(frame));
            }
        }
        const auto lifted = [&] {
            const auto events = threaded.mouse.Events();
            return !events.empty() && events.back().flags == 0x8004U;
        };
        EXPECT_TRUE(testing_support::WaitUntil(lifted)) << (hid ? "hid" : "serial");
        EXPECT_EQ(threaded.mouse.Events().size(), 50U) << "down, 48 moves, up";
        threaded.state.linkOpen = 0;
        threaded.serial.Abort();
        threaded.hid.CloseHandles();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(result.get(), 0);
        EXPECT_FALSE(threaded.serial.EventOpen());
    }
}

} // namespace
} // namespace driver
