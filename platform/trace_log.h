#pragma once

#include "platform/bounded_log.h"
#include "platform/clock_port.h"
#include "platform/files_port.h"
#include "platform/trace_memory.h"
#include "platform/trace_port.h"

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>

namespace platform {

// The trace as the programs write it: each line to the debugger output and,
// once a log file is set, to that file. The same failure repeated (a gone
// board fails every attempt) is written once a minute with the count of the
// repeats, and the file is kept under kMaxFileBytes by moving it aside to
// "<name>.old" when it is full, so a log left on for weeks stays small.
class TraceLog final : public TracePort {
public:
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1024} * 1024;
    static constexpr std::uint32_t kRepeatQuietMs = 60'000;
    static constexpr std::size_t kRemembered = 64;

    using DebugOutput = std::function<void(const std::string& line)>;

    TraceLog(FilesPort& files, ClockPort& clock, DebugOutput debugOutput)
        : m_file(files, kMaxFileBytes), m_clock(clock), m_debugOutput(std::move(debugOutput)) {}

    void Failure(std::string_view call, std::uint32_t error, std::string_view subject) override;
    void SetLogFile(const std::string& path) override;
    std::string LastFailure() const override;
    std::uint64_t FailureCount() const override { return m_memory.FailureCount(); }
    std::vector<std::string> RecentLines() const override;

private:
    struct Seen {
        std::string what;
        std::uint32_t writtenAt = 0;
        std::uint32_t repeats = 0;
    };

    BoundedLog m_file; // under m_mutex
    ClockPort& m_clock;
    DebugOutput m_debugOutput;
    mutable std::mutex m_mutex;
    std::list<Seen> m_seen; // most recent first
    TraceMemory m_memory;   // under m_mutex
};

} // namespace platform
