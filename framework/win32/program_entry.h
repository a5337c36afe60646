#pragma once

#include "platform/platform.h"

namespace framework {

// Each program defines this: it builds its application object over the
// real ports and runs it.
int RunProgram(platform::Platform& platform);

} // namespace framework
