// Channels opened, published, replaced and deleted on one thread while the
// reader writes frames through the slot on another; companions read on
// threads of their own. Run under TSan too.
#include "common/program_contract.h"
#include "driver/ipc/channel_slot.h"
#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/dravik_socket.h"
#include "driver/ipc/orientation_pipe.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/channel_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace driver {
namespace {

using namespace std::chrono_literals;
using testing_support::NumberedFrame;
using testing_support::PeerRead;
using testing_support::ReadNumbersUntil;
using testing_support::ReadyWithin;

TEST(ChannelStress, EveryCompanionGetsWholeFramesInOrderWhileChannelsComeAndGo) {
    platform::SimTrace trace;
    platform::SimClock clock;
    platform::SimIpcPort port(trace, clock);
    CDravikPipe::ClassHandle classHandle;
    ChannelSlot slot;
    constexpr std::uint16_t kTcpPort = contract::companion::kDualPenPort;
    auto listener = port.CreateSocket(platform::SocketType::Stream);
    // Room for a number of bytes that is no whole number of frames: sends end mid-frame.
    listener->Tune(0, 1001, false);
    ASSERT_TRUE(listener->Bind("127.0.0.1", kTcpPort) && listener->Listen(5));

    std::atomic<bool> stop{false};
    std::thread reader([&] {
        for (std::uint32_t n = 0; !stop; ++n) {
            slot.Write(NumberedFrame(n));
            if (n % 64 == 0) {
                std::this_thread::yield();
            }
        }
    });

    std::vector<std::unique_ptr<platform::StreamEnd>> companions;
    std::vector<std::future<PeerRead>> reads;
    int cancelled = 0;
    for (int round = 0; round < 60; ++round) {
        std::shared_ptr<CDravikIPCBase> channel;
        std::unique_ptr<platform::StreamEnd> companion;
        if (round % 3 == 2) {
            channel = std::make_shared<CDravikSocket>(port, clock, kTcpPort);
            channel->Open(CDravikSocket::kConnectMode, "127.0.0.1");
            companion = listener->Accept(1000);
        } else {
            const bool orientation = round % 3 == 1;
            auto pipe = std::make_shared<CDravikPipe>(port, clock, classHandle);
            auto calibration = std::make_shared<OrientationPipe>(port, clock);
            channel = orientation ? std::shared_ptr<CDravikIPCBase>(calibration) : pipe;
            const std::string name = orientation ? "\\\\.\\pipe\\StressO" : "\\\\.\\pipe\\Stress";
            const int mode = orientation ? OrientationPipe::kServerMode : CDravikPipe::kServerMode;
            auto opened = std::async(std::launch::async, [&] { return channel->Open(mode, name); });
            if (round % 7 == 6) {
                orientation ? calibration->CancelOpen() : pipe->CancelOpen();
                EXPECT_FALSE(opened.get());
                ++cancelled;
                continue;
            }
            while (!companion && !ReadyWithin(opened, 1ms)) {
                companion = port.OpenPipeClient(name);
            }
            ASSERT_TRUE(opened.get());
        }
        ASSERT_TRUE(companion) << "round " << round;
        platform::StreamEnd& end = *companion;
        companions.push_back(std::move(companion));
        // Some companions start late, so that writes stall and resume.
        const bool late = round % 5 == 4;
        reads.push_back(std::async(std::launch::async, [&end, late] {
            if (late) {
                std::this_thread::sleep_for(50ms);
            }
            return ReadNumbersUntil(end, 0xFFFFFFFF);
        }));
        slot.Publish(channel);
        std::this_thread::sleep_for(round % 5 == 4 ? 80ms : 2ms);
        slot.Retire();
        // Deleted now, or when the write that holds it ends; its companion sees the end.
        channel.reset();
    }
    stop = true;
    reader.join();
    EXPECT_GT(cancelled, 0);
    std::size_t frames = 0;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        ASSERT_TRUE(ReadyWithin(reads[i], 10s)) << "companion " << i << " saw no end";
        const PeerRead read = reads[i].get();
        // Only a channel deleted while its companion did not read can end inside
        // a frame; everything before is whole.
        ASSERT_TRUE(read.numbers) << "companion " << i << " got part of a frame";
        EXPECT_TRUE(std::adjacent_find(read.numbers->begin(), read.numbers->end(),
                                       std::greater_equal<>()) == read.numbers->end())
            << "companion " << i << " got frames out of order";
        frames += read.numbers->size();
    }
    EXPECT_GT(frames, 1000U);
}

} // namespace
} // namespace driver
