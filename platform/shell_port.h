#pragma once

#include <string>

namespace platform {

// Starting other programs through the shell. Paths are bytes in the system's
// ANSI code page.
class ShellPort {
public:
    virtual ~ShellPort() = default;

    // Opens file with the verb "open"; folder is the program's working
    // directory. True when the shell accepted the request; the program is
    // not waited for.
    virtual bool OpenProgram(const std::string& file, const std::string& parameters,
                             const std::string& folder, int showCommand) = 0;
};

} // namespace platform
