#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Where the programs say why something did not work: one line per failure,
// naming the failing call and its error code, so that a user can find out
// why the board does not connect. Safe to call from any thread.
class TracePort {
public:
    virtual ~TracePort() = default;

    // call: the failing system call or step ("CreateFileA"); error: its error
    // code, 0 when it has none; subject: what it was done on (a path, a key).
    virtual void Failure(std::string_view call, std::uint32_t error, std::string_view subject) = 0;
    // From now on also into this file, kept to a bounded size; "" stops.
    virtual void SetLogFile(const std::string& path) = 0;

    // What a trace that keeps them in memory has: the last failure in few
    // words ("COM7: error 2", "" when none), a count that moves with every
    // failure (cheap to poll), and the recent lines written, oldest first.
    virtual std::string LastFailure() const { return {}; }
    virtual std::uint64_t FailureCount() const { return 0; }
    virtual std::vector<std::string> RecentLines() const { return {}; }
};

} // namespace platform
