#pragma once

#include "platform/clock_port.h"

#include <cstdint>

namespace driver {

// When the connect attempt enumerates the HID interfaces: always until a
// search finds no board; then again after any device interface arrived,
// and otherwise once per quiet interval, for an arrival that went
// unannounced. Dialog thread only.
class HidSearchPace {
public:
    static constexpr std::uint32_t kQuietIntervalMs = 30000;

    explicit HidSearchPace(platform::ClockPort& clock) : m_clock(clock) {}

    bool Due() { return !m_resting || m_clock.TickCount() - m_restingSince >= kQuietIntervalMs; }
    void FoundNoBoard() {
        m_resting = true;
        m_restingSince = m_clock.TickCount();
    }
    void InterfaceArrived() { m_resting = false; }

private:
    platform::ClockPort& m_clock;
    bool m_resting = false;
    std::uint32_t m_restingSince = 0;
};

} // namespace driver
