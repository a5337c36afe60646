#pragma once

#include "platform/shell_port.h"

namespace platform {

class Win32Shell final : public ShellPort {
public:
    bool OpenProgram(const std::string& file, const std::string& parameters,
                     const std::string& folder, int showCommand) override;
};

} // namespace platform
