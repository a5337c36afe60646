// The shared table against the real private-profile functions (under Wine here).
#include "platform/win32/win32_profile.h"

#include "tests/ini/profile_conformance.h"

namespace platform {
namespace {

PROFILE_CONFORMANCE_TESTS(Win32ProfileTable, Win32Profile);

} // namespace
} // namespace platform
