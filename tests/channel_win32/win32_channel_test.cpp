// The channel table against the real named pipes and Winsock (under Wine here).
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_ipc.h"
#include "tests/conformance/channel_conformance.h"

namespace ipc_test {

struct Win32Channels {
    platform::SimTrace trace;
    platform::Win32Clock clock;
    platform::Win32IpcPort port{trace};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ChannelConformance, Win32Channels);

} // namespace ipc_test
