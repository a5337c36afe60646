#pragma once

#include "driver/pen/frame_source.h"
#include "driver/state/driver_state.h"
#include "platform/clock_port.h"
#include "platform/serial_port.h"
#include "platform/trace_port.h"

#include <cstdint>
#include <span>

namespace driver {

// Frames from the board's serial port: overlapped reads of 8 bytes, at most
// one under way, and the start command when the board stays silent.
class SerialFrameSource final : public FrameSource {
public:
    static constexpr std::uint32_t kWaitMs = 1000;
    static constexpr std::uint32_t kWakePauseMs = 30;
    // The start command takes about 1.4 ms on the line; a write still under
    // way after this is held by flow control and is given up.
    static constexpr std::uint32_t kWriteBoundMs = 250;
    // One failed read is a line error and is read past; failures back to
    // back mean the line is gone (a port that hung up fails every read).
    static constexpr int kFailuresToGiveUp = 3;
    // PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR
    static constexpr std::uint32_t kPurgeAll = 0x0F;

    SerialFrameSource(platform::SerialPort& port, platform::ClockPort& clock, DriverState& state,
                      platform::TracePort& trace)
        : m_port(port), m_clock(clock), m_state(state), m_trace(trace) {}

    bool Begin() override;
    void End() override;
    void Leave() override;
    Outcome Read(PenFrame& frame) override;
    bool Wake() override;
    void AbortRead() override;

    // Reader thread; false when no link is open or the write failed.
    bool WriteSerial(std::span<const std::uint8_t> bytes);

private:
    Outcome Delivered(PenFrame& frame, std::uint32_t bytes);
    Outcome ReadFailed();

    platform::SerialPort& m_port;
    platform::ClockPort& m_clock;
    DriverState& m_state;
    platform::TracePort& m_trace;
    // Kept between reads on purpose: a short read is checked together with
    // what the frame before it left.
    PenFrame m_buffer{};
    bool m_readOutstanding = false;
    int m_failuresInARow = 0;
};

} // namespace driver
