#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What a trace keeps in memory for the user: the last failure, in few words,
// and the last lines written, in a ring of fixed size. Not locked: its owner
// serialises the calls, except FailureCount, which any thread may read.
class TraceMemory {
public:
    static constexpr std::size_t kRecentLines = 200;

    // "COM7: error 2": the subject and the code when there are both,
    // otherwise the call with what there is.
    static std::string Reason(std::string_view call, std::uint32_t error, std::string_view subject);

    void NoteFailure(std::string_view call, std::uint32_t error, std::string_view subject);
    void NoteLine(std::string_view line);

    const std::string& LastFailure() const { return m_lastFailure; }
    std::uint64_t FailureCount() const { return m_failures.load(std::memory_order_acquire); }
    // Oldest first.
    std::vector<std::string> RecentLines() const;

private:
    std::string m_lastFailure;
    std::atomic<std::uint64_t> m_failures{0};
    std::array<std::string, kRecentLines> m_ring;
    std::size_t m_next = 0;
    std::size_t m_count = 0;
};

} // namespace platform
