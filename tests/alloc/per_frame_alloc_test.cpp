// Counts every heap allocation of the process, so this test lives in an
// executable of its own.
#include "tests/support/per_frame_path.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// Frees what the operator new above took from malloc; inlined into the
// standard library's deallocations GCC cannot see that.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

TEST(PerFramePath, AStrokeOfAThousandFramesAllocatesNothing) {
    using namespace testing_support;
    DiscardingMouse mouse;
    SteadyClock clock;
    driver::CalibrationStore store;
    store.Publish(BenchCalibration());
    driver::MouseInjector inject(mouse, store);
    driver::PenStateMachine pen(store, inject, clock);
    const std::vector<driver::PenFrame> frames = StrokeFrames(1000, 250);

    const long before = g_allocations.load();
    for (const driver::PenFrame& frame : frames) {
        FeedFrame(pen, frame);
    }
    const long during = g_allocations.load() - before;

    EXPECT_EQ(during, 0);
    EXPECT_GT(mouse.events, 900U) << "the stroke must actually move the pointer";
}

} // namespace

namespace {

TEST(PerFramePath, AMixedStreamThroughTheReaderDispatchAllocatesNothing) {
    testing_support::MixedStreamRig rig;
    const std::vector<driver::PenFrame> frames = testing_support::MixedFrames(1000);

    const long before = g_allocations.load();
    for (const driver::PenFrame& frame : frames) {
        rig.dispatcher.Dispatch(frame);
    }
    const long during = g_allocations.load() - before;

    EXPECT_EQ(during, 0);
    EXPECT_GT(rig.mouse.events, 200U);
    EXPECT_GT(rig.channel->bytes, 8U * 200U) << "second-pen frames reach the channel";
    EXPECT_GT(rig.dialog.timerStartCount.load(), 10U) << "the areas fire";
}

} // namespace

#include "driver/ipc/channel_slot.h"
#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/dravik_socket.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/channel_peer.h"

#include <future>

namespace {

TEST(PerFramePath, FramesThroughThePipeAndSocketChannelsAllocateNothing) {
    platform::SimTrace trace;
    platform::SimClock clock;
    platform::SimIpcPort port(trace, clock);
    driver::CDravikPipe::ClassHandle classHandle;
    auto pipe = std::make_shared<driver::CDravikPipe>(port, clock, classHandle);
    auto opened = std::async(std::launch::async, [&] {
        return pipe->Open(driver::CDravikPipe::kServerMode, "\\\\.\\pipe\\A");
    });
    std::unique_ptr<platform::StreamEnd> pipeCompanion;
    while (!pipeCompanion) {
        pipeCompanion = port.OpenPipeClient("\\\\.\\pipe\\A");
    }
    ASSERT_TRUE(opened.get());
    auto listener = port.CreateSocket(platform::SocketType::Stream);
    ASSERT_TRUE(listener->Bind(std::string(contract::companion::kDualPenAddress),
                               contract::companion::kDualPenPort) &&
                listener->Listen(5));
    auto socket =
        std::make_shared<driver::CDravikSocket>(port, clock, contract::companion::kDualPenPort);
    socket->Open(driver::CDravikSocket::kConnectMode, "127.0.0.1");
    const auto socketCompanion = listener->Accept(1000);
    ASSERT_TRUE(socketCompanion);
    driver::ChannelSlot slot;

    const long before = g_allocations.load();
    for (const auto& channel : {std::shared_ptr<driver::CDravikIPCBase>(pipe),
                                std::shared_ptr<driver::CDravikIPCBase>(socket)}) {
        slot.Publish(channel);
        for (std::uint32_t n = 0; n < 400; ++n) {
            slot.Write(testing_support::NumberedFrame(n));
        }
    }
    const long during = g_allocations.load() - before;

    EXPECT_EQ(during, 0);
    EXPECT_EQ(testing_support::ReadNumbersUntil(*pipeCompanion, 399).numbers->size(), 400U);
    EXPECT_EQ(testing_support::ReadNumbersUntil(*socketCompanion, 399).numbers->size(), 400U);
}

} // namespace
