#include "platform/trace_memory.h"

namespace platform {

std::string TraceMemory::Reason(std::string_view call, std::uint32_t error,
                                std::string_view subject) {
    std::string reason(error != 0 && !subject.empty() ? subject : call);
    if (error != 0) {
        reason += ": error ";
        reason += std::to_string(error);
    } else if (!subject.empty()) {
        reason += ": ";
        reason += subject;
    }
    return reason;
}

void TraceMemory::NoteFailure(std::string_view call, std::uint32_t error,
                              std::string_view subject) {
    m_lastFailure = Reason(call, error, subject);
    m_failures.fetch_add(1, std::memory_order_release);
}

void TraceMemory::NoteLine(std::string_view line) {
    // Reuses the slot's buffer once the ring has gone round.
    m_ring[m_next].assign(line);
    m_next = (m_next + 1) % kRecentLines;
    if (m_count < kRecentLines) {
        ++m_count;
    }
}

std::vector<std::string> TraceMemory::RecentLines() const {
    std::vector<std::string> lines;
    lines.reserve(m_count);
    const std::size_t first = (m_next + kRecentLines - m_count) % kRecentLines;
    for (std::size_t i = 0; i < m_count; ++i) {
        lines.push_back(m_ring[(first + i) % kRecentLines]);
    }
    return lines;
}

} // namespace platform
