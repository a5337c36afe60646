#pragma once

#include "platform/clock_port.h"

namespace platform {

class Win32Clock : public ClockPort {
public:
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
};

} // namespace platform
