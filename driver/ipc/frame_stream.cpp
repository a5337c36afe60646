#include "driver/ipc/frame_stream.h"

#include <algorithm>
#include <cstring>

namespace driver {

FrameStream::~FrameStream() {
    if (m_restLength > 0) {
        std::span<const std::uint8_t> rest(m_rest.data(), m_restLength);
        SendUntil(rest, kStallWaitMs);
    }
}

bool FrameStream::Write(std::span<const std::uint8_t> bytes) {
    const std::lock_guard lock(m_writing);
    bool all = true;
    while (!bytes.empty()) {
        const std::size_t size = std::min(bytes.size(), kWholeBytes);
        all = WritePiece(bytes.first(size)) && all;
        bytes = bytes.subspan(size);
    }
    return all;
}

bool FrameStream::WritePiece(std::span<const std::uint8_t> piece) {
    const std::uint32_t waitMs = m_stalled ? 0 : kStallWaitMs;
    if (m_restLength > 0) {
        std::span<const std::uint8_t> rest(m_rest.data(), m_restLength);
        const Sent sent = SendUntil(rest, waitMs);
        std::memmove(m_rest.data(), rest.data(), rest.size());
        m_restLength = sent == Sent::Failed ? 0 : rest.size();
        if (sent != Sent::All) {
            m_stalled = sent == Sent::Stalled;
            return false;
        }
    }
    std::span<const std::uint8_t> left = piece;
    const Sent sent = SendUntil(left, waitMs);
    m_stalled = sent == Sent::Stalled;
    if (sent == Sent::Failed) {
        return false;
    }
    if (left.size() == piece.size() && sent == Sent::Stalled) {
        return false; // dropped whole
    }
    std::memcpy(m_rest.data(), left.data(), left.size());
    m_restLength = left.size();
    return true;
}

FrameStream::Sent FrameStream::SendUntil(std::span<const std::uint8_t>& bytes,
                                         std::uint32_t waitMs) {
    // The clock is read only once a send comes up short: most writes never do.
    std::uint32_t start = 0;
    for (bool first = true;; first = false) {
        const int taken = m_end->TrySend(bytes);
        if (taken < 0) {
            return Sent::Failed;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(taken));
        if (bytes.empty()) {
            return Sent::All;
        }
        if (first) {
            start = m_clock.TickCount();
        }
        // Unsigned, so that the tick count's wrap does not matter.
        const std::uint32_t spent = first ? 0 : m_clock.TickCount() - start;
        const std::uint32_t left = spent < waitMs ? waitMs - spent : 0;
        if (left == 0 && !first) {
            return Sent::Stalled;
        }
        if (!m_end->WaitWritable(left)) {
            return Sent::Stalled;
        }
    }
}

} // namespace driver
