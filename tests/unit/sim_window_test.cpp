// The window-system table against the simulated desktop on its virtual clock.
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "tests/conformance/window_conformance.h"

namespace window_test {

struct SimBackend {
    static constexpr std::uint32_t kTimerSlackMs = 0;

    platform::WindowSystem& Windows() { return desktop; }
    platform::ClockPort& Clock() { return clock; }
    LParam Record(std::uint32_t deviceType, std::string name) {
        return desktop.MakeBroadcastRecord(deviceType, std::move(name));
    }

    platform::SimClock clock;
    platform::SimDesktop desktop{clock};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, WindowConformance, SimBackend);

} // namespace window_test
