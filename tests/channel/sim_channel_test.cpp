// The channel table against the simulated pipes and sockets, on virtual time.
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_ipc.h"
#include "tests/conformance/channel_conformance.h"

namespace ipc_test {

struct SimChannels {
    platform::SimTrace trace;
    platform::SimClock clock;
    platform::SimIpcPort port{trace, clock};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, ChannelConformance, SimChannels);

} // namespace ipc_test

#include "driver/ipc/frame_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ipc_test {
namespace {

// A peer that takes `room` bytes, then none until it reads again; with a
// clock, it reads one byte every 10 ms that a writer waits for it.
class NarrowEnd final : public platform::StreamEnd {
public:
    explicit NarrowEnd(std::vector<std::uint8_t>& got, platform::SimClock* clock = nullptr)
        : m_got(got), m_clock(clock) {}
    int TrySend(std::span<const std::uint8_t> bytes) override {
        const std::size_t taken = std::min(bytes.size(), room);
        m_got.insert(m_got.end(), bytes.begin(),
                     bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        room -= taken;
        return static_cast<int>(taken);
    }
    bool WaitWritable(std::uint32_t milliseconds) override {
        if (m_clock != nullptr && room == 0) {
            const std::uint32_t step = std::min<std::uint32_t>(milliseconds, 10);
            m_clock->Sleep(step);
            room += step == 10 ? 1 : 0;
        }
        return room > 0;
    }
    int Receive(std::span<std::uint8_t>) override { return 0; }
    void CancelReceive() override {}
    std::size_t room = 0;

private:
    std::vector<std::uint8_t>& m_got;
    platform::SimClock* m_clock;
};

// The bound covers a whole write however the room comes, timed on the
// stream's clock; once the peer stalled, the next write does not wait.
TEST(FrameStream, AStallCostsOneBoundedWaitOnTheStreamsClock) {
    std::vector<std::uint8_t> got;
    platform::SimClock clock(0xFFFFFFF0); // the wait runs across the tick count's wrap
    driver::FrameStream stream(std::make_unique<NarrowEnd>(got, &clock), clock);
    const std::uint8_t frame[8] = {0xAA, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_TRUE(stream.Write(frame)) << "part went; the rest is owed";
    EXPECT_EQ(clock.TickCount() - 0xFFFFFFF0, driver::FrameStream::kStallWaitMs);
    EXPECT_EQ(got.size(), driver::FrameStream::kStallWaitMs / 10);
    EXPECT_FALSE(stream.Write(frame)) << "dropped";
    EXPECT_EQ(clock.TickCount() - 0xFFFFFFF0, driver::FrameStream::kStallWaitMs) << "waited again";
}

// A channel deleted right after a frame went out in part still finishes it
// for a companion that reads on: the stream never ends inside a frame then.
TEST(FrameStream, AFrameCutShortIsFinishedBeforeTheStreamEnds) {
    std::vector<std::uint8_t> got;
    auto end = std::make_unique<NarrowEnd>(got);
    NarrowEnd& narrow = *end;
    platform::SimClock clock;
    {
        driver::FrameStream stream(std::move(end), clock);
        narrow.room = 3;
        const std::uint8_t frame[8] = {0xAA, 1, 2, 3, 4, 5, 6, 7};
        EXPECT_TRUE(stream.Write(frame));
        ASSERT_EQ(got.size(), 3U) << "the rest waits for room";
        narrow.room = 100; // the companion reads again
    }
    EXPECT_EQ(got.size(), 8U);
}

} // namespace
} // namespace ipc_test
