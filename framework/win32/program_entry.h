#pragma once

#include "platform/platform.h"

#include <string>
#include <vector>

namespace framework {

// Each program defines this: it builds its application object over the
// real ports and runs it. arguments: the command line after the program's
// name, word by word.
int RunProgram(platform::Platform& platform, const std::vector<std::string>& arguments);

} // namespace framework
