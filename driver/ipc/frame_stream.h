#pragma once

#include "platform/clock_port.h"
#include "platform/ipc_port.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace driver {

// The writing side of a channel, so that a companion that stops reading
// cannot stall the reader thread and never sees part of a frame. A write
// waits at most kStallWaitMs for room; while the peer stays stalled, later
// writes do not wait at all and are dropped. A write that went out in part
// is finished before anything after it, so the stream stays framed. Writes
// of up to kWholeBytes are kept whole; longer ones go in pieces of that
// size. Nothing here allocates.
class FrameStream {
public:
    // Long enough for a companion busy for a moment, short against the
    // board's frame rate: the serial queue holds some 350 ms of frames.
    static constexpr std::uint32_t kStallWaitMs = 30;
    static constexpr std::size_t kWholeBytes = 64;

    // The clock times the waits for room.
    FrameStream(std::unique_ptr<platform::StreamEnd> end, platform::ClockPort& clock)
        : m_end(std::move(end)), m_clock(clock) {}
    // A frame that went out in part is finished first, waiting as a write
    // would, so that a companion that reads on gets it whole before the end.
    ~FrameStream();
    FrameStream(const FrameStream&) = delete;
    FrameStream& operator=(const FrameStream&) = delete;

    // True when the bytes went, or will go once the peer reads again.
    bool Write(std::span<const std::uint8_t> bytes);
    // Blocks; 0 at the end of the stream or on failure.
    int Read(std::span<std::uint8_t> buffer) { return m_end->Receive(buffer); }

private:
    enum class Sent { All, Stalled, Failed };

    bool WritePiece(std::span<const std::uint8_t> piece);
    Sent SendUntil(std::span<const std::uint8_t>& bytes, std::uint32_t waitMs);

    std::unique_ptr<platform::StreamEnd> m_end;
    platform::ClockPort& m_clock;
    std::mutex m_writing;
    std::array<std::uint8_t, kWholeBytes> m_rest{};
    std::size_t m_restLength = 0;
    bool m_stalled = false;
};

} // namespace driver
