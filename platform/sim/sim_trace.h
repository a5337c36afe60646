#pragma once

#include "platform/trace_memory.h"
#include "platform/trace_port.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Keeps every failure reported, for tests to read back.
class SimTrace : public TracePort {
public:
    struct Line {
        std::string call;
        std::uint32_t error = 0;
        std::string subject;
        friend bool operator==(const Line&, const Line&) = default;
    };

    void Failure(std::string_view call, std::uint32_t error, std::string_view subject) override {
        std::lock_guard lock(m_mutex);
        m_lines.push_back({std::string(call), error, std::string(subject)});
        m_memory.NoteFailure(call, error, subject);
        m_memory.NoteLine(TraceMemory::Reason(call, error, subject));
    }

    std::string LastFailure() const override {
        std::lock_guard lock(m_mutex);
        return m_memory.LastFailure();
    }
    std::uint64_t FailureCount() const override { return m_memory.FailureCount(); }
    std::vector<std::string> RecentLines() const override {
        std::lock_guard lock(m_mutex);
        return m_memory.RecentLines();
    }

    void SetLogFile(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        m_logFile = path;
    }

    std::string LogFile() const {
        std::lock_guard lock(m_mutex);
        return m_logFile;
    }

    std::vector<Line> Lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
    std::string m_logFile;
    TraceMemory m_memory;
};

} // namespace platform
