#include "platform/trace_log.h"

#include <algorithm>

namespace platform {

void TraceLog::Failure(std::string_view call, std::uint32_t error, std::string_view subject) {
    std::string what(call);
    what += " failed, error ";
    what += std::to_string(error);
    if (!subject.empty()) {
        what += ": ";
        what += subject;
    }
    const std::uint32_t now = m_clock.TickCount();
    std::lock_guard lock(m_mutex);
    m_memory.NoteFailure(call, error, subject);
    auto seen = std::ranges::find(m_seen, what, &Seen::what);
    std::uint32_t repeats = 0;
    if (seen != m_seen.end()) {
        if (now - seen->writtenAt < kRepeatQuietMs) {
            ++seen->repeats;
            return;
        }
        repeats = seen->repeats;
        m_seen.erase(seen);
    }
    m_seen.push_front({what, now, 0});
    if (m_seen.size() > kRemembered) {
        m_seen.pop_back();
    }
    if (repeats != 0) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely on chains of +.
        what += " (and ";
        what += std::to_string(repeats);
        what += " times since it was last written)";
    }
    const std::string line = BoundedLog::Stamped(now, what);
    m_debugOutput(line);
    m_file.Append(line);
    m_memory.NoteLine(line);
}

void TraceLog::SetLogFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_file.SetPath(path);
}

std::string TraceLog::LastFailure() const {
    std::lock_guard lock(m_mutex);
    return m_memory.LastFailure();
}

std::vector<std::string> TraceLog::RecentLines() const {
    std::lock_guard lock(m_mutex);
    return m_memory.RecentLines();
}

} // namespace platform
