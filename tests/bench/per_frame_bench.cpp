#include "tests/support/per_frame_path.h"

#include <benchmark/benchmark.h>

namespace {

using namespace testing_support;

// Decode, check, transform and inject one frame, with a mouse that
// discards the events.
void BM_PerFrame(benchmark::State& state) {
    DiscardingMouse mouse;
    SteadyClock clock;
    driver::CalibrationStore store;
    store.Publish(BenchCalibration());
    driver::MouseInjector inject(mouse, store);
    driver::PenStateMachine pen(store, inject, clock);
    const std::vector<driver::PenFrame> frames = StrokeFrames(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        FeedFrame(pen, frames[next]);
        next = (next + 1) % frames.size();
    }
    benchmark::DoNotOptimize(mouse.events);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PerFrame);

void BM_BoardToScreen(benchmark::State& state) {
    const driver::CalibrationGrid grid = BenchCalibration().grid;
    std::int32_t i = 0;
    for (auto _ : state) {
        std::int32_t x = 1000 + (i * 37) % 12000;
        std::int32_t y = 1000 + (i * 53) % 12000;
        benchmark::DoNotOptimize(driver::BoardToScreen(grid, x, y));
        benchmark::DoNotOptimize(x + y);
        ++i;
    }
}
BENCHMARK(BM_BoardToScreen);

// The reader's dispatch of a mixed stream: first-pen strokes, second-pen
// strokes into the dual-pen channel, function-area touches, board keys.
void BM_MixedStreamDispatch(benchmark::State& state) {
    MixedStreamRig rig;
    const std::vector<driver::PenFrame> frames = MixedFrames(4800);
    std::size_t next = 0;
    for (auto _ : state) {
        rig.dispatcher.Dispatch(frames[next]);
        next = (next + 1) % frames.size();
        if (next == 0) {
            rig.state.commandArmed = 1; // what timer 112 does on the dialog thread
        }
    }
    benchmark::DoNotOptimize(rig.mouse.events);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MixedStreamDispatch);

// The first pen's strokes through the reader's dispatch, as a board sends
// them: check byte, decode, calibrated transform, pen state machine, mouse.
void BM_StrokeDispatch(benchmark::State& state) {
    MixedStreamRig rig;
    rig.state.functionAreasEnabled = false;
    const std::vector<driver::PenFrame> frames = StrokeFrames(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        rig.dispatcher.Dispatch(frames[next]);
        next = (next + 1) % frames.size();
    }
    benchmark::DoNotOptimize(rig.mouse.events);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StrokeDispatch);

// The floor for the two above: what any reader of the board must do per
// frame (check byte, decode, one mouse event at a linear scale).
void BM_FloorFrame(benchmark::State& state) {
    DiscardingMouse mouse;
    platform::MousePort& port = mouse;
    const std::vector<driver::PenFrame> frames = StrokeFrames(4096);
    std::size_t next = 0;
    for (auto _ : state) {
        const driver::PenFrame& frame = frames[next];
        if (driver::FrameChecksumOk(frame)) {
            const driver::BoardPoint point = driver::DecodeBoardPoint(frame);
            port.MouseEvent(0x8001, point.x * 65535 / 0x4000, point.y * 65535 / 0x4000);
        }
        next = (next + 1) % frames.size();
    }
    benchmark::DoNotOptimize(mouse.events);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloorFrame);

} // namespace

BENCHMARK_MAIN();
