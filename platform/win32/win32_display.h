#pragma once

#include "platform/display_port.h"

namespace platform {

class Win32Display : public DisplayPort {
public:
    std::vector<MonitorInfo> Monitors() override;
};

} // namespace platform
