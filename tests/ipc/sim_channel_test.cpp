// The channel table against the simulated pipes and sockets.
#include "platform/sim/sim_ipc.h"
#include "tests/ipc/channel_conformance.h"

namespace ipc_test {

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, ChannelConformance, platform::SimIpcPort);

} // namespace ipc_test

#include "driver/ipc/frame_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ipc_test {
namespace {

// A peer that takes `room` bytes, then none until it reads again.
class NarrowEnd final : public platform::StreamEnd {
public:
    explicit NarrowEnd(std::vector<std::uint8_t>& got) : m_got(got) {}
    int TrySend(std::span<const std::uint8_t> bytes) override {
        const std::size_t taken = std::min(bytes.size(), room);
        m_got.insert(m_got.end(), bytes.begin(),
                     bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        room -= taken;
        return static_cast<int>(taken);
    }
    bool WaitWritable(std::uint32_t) override { return room > 0; }
    int Receive(std::span<std::uint8_t>) override { return 0; }
    void CancelReceive() override {}
    std::size_t room = 0;

private:
    std::vector<std::uint8_t>& m_got;
};

// A channel deleted right after a frame went out in part still finishes it
// for a companion that reads on: the stream never ends inside a frame then.
TEST(FrameStream, AFrameCutShortIsFinishedBeforeTheStreamEnds) {
    std::vector<std::uint8_t> got;
    auto end = std::make_unique<NarrowEnd>(got);
    NarrowEnd& narrow = *end;
    {
        driver::FrameStream stream(std::move(end));
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
