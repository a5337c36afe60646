#include "platform/trace_log.h"

#include "common/program_contract.h"

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
    // Appended piece by piece: GCC 12 at -O3 warns falsely on chains of +.
    std::string line = "[";
    line += std::to_string(now);
    line += " ms] ";
    line += what;
    if (repeats != 0) {
        line += " (and ";
        line += std::to_string(repeats);
        line += " times since it was last written)";
    }
    line += "\r\n";
    Write(line);
}

void TraceLog::SetLogFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_logFile = path;
}

void TraceLog::Write(const std::string& line) {
    m_debugOutput(line);
    if (m_logFile.empty()) {
        return;
    }
    const std::uint64_t size = m_files.FileSize(m_logFile).value_or(0);
    if (size + line.size() > kMaxFileBytes) {
        m_files.RenameFile(m_logFile, m_logFile + std::string(contract::log_file::kRotatedSuffix));
    }
    m_files.AppendToFile(m_logFile, line);
}

} // namespace platform
