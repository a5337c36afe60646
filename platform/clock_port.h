#pragma once

#include <cstdint>

namespace platform {

class ClockPort {
public:
    virtual ~ClockPort() = default;

    // Milliseconds since start-up, wrapping at 2^32 like GetTickCount.
    virtual std::uint32_t TickCount() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

} // namespace platform
