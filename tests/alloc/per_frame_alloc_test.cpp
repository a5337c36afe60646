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
