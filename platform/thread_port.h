#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// A thread made suspended: it runs its body only once resumed.
class Thread {
public:
    virtual ~Thread() = default;

    virtual void Resume() = 0;
    // True when the thread has ended within the time.
    virtual bool WaitForEnd(std::uint32_t milliseconds) = 0;
};

class ThreadPort {
public:
    virtual ~ThreadPort() = default;

    // None when the thread cannot be created.
    virtual std::unique_ptr<Thread> CreateSuspended(std::function<int()> body) = 0;
};

} // namespace platform
