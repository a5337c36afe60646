#pragma once

#include "platform/security_port.h"

namespace platform {

class Win32Security final : public SecurityPort {
public:
    bool IsUserAdmin() override;
    bool IsWow64() override;
    bool CreateSingleInstanceMutex(const std::string& name) override;
};

} // namespace platform
