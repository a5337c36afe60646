#pragma once

#include <string>
#include <vector>

namespace platform {

// The words of this process's command line after the program's own name,
// split by the system's quoting rules, in UTF-8.
std::vector<std::string> CommandLineArguments();

} // namespace platform
