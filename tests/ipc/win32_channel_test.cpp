// The channel table against the real named pipes and Winsock (under Wine here).
#include "platform/win32/win32_ipc.h"
#include "tests/ipc/channel_conformance.h"

namespace ipc_test {

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ChannelConformance, platform::Win32IpcPort);

} // namespace ipc_test
