#pragma once

#include "platform/clock_port.h"

#include <atomic>
#include <cstdint>

namespace platform {

// Virtual time: it moves only when a test advances it or a caller sleeps.
class SimClock : public ClockPort {
public:
    explicit SimClock(std::uint32_t start = 0) : m_now(start) {}

    std::uint32_t TickCount() override { return m_now.load(); }
    void Sleep(std::uint32_t milliseconds) override { Advance(milliseconds); }

    void Advance(std::uint32_t milliseconds) { m_now.fetch_add(milliseconds); }

private:
    std::atomic<std::uint32_t> m_now;
};

} // namespace platform
