#pragma once

#include "platform/thread_port.h"

#include <atomic>

namespace platform {

// Real threads behind the port, so the reader's concurrency is exercised;
// creation can be made to fail.
class SimThreadPort : public ThreadPort {
public:
    std::unique_ptr<Thread> CreateSuspended(std::function<int()> body) override;

    void FailCreation(bool fail) { m_failCreation = fail; }
    int Created() const { return m_created; }
    // Exit code of the last thread that ended, -2 before any.
    int LastExitCode() const { return m_lastExitCode; }

private:
    std::atomic<bool> m_failCreation{false};
    std::atomic<int> m_created{0};
    std::atomic<int> m_lastExitCode{-2};
};

} // namespace platform
