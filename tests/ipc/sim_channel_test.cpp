// The channel table against the simulated pipes and sockets.
#include "platform/sim/sim_ipc.h"
#include "tests/ipc/channel_conformance.h"

namespace ipc_test {

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, ChannelConformance, platform::SimIpcPort);

} // namespace ipc_test
