#pragma once

#include "platform/thread_port.h"

#include <functional>
#include <memory>

namespace driver {

// The process's one reader thread, made suspended by whichever link opens
// and resumed once the link's flags are set. Dialog thread only.
class ReaderThread {
public:
    ReaderThread(platform::ThreadPort& threads, std::function<int()> body)
        : m_threads(threads), m_body(std::move(body)) {}

    // False when the thread cannot be created.
    bool CreateSuspended() {
        m_thread = m_threads.CreateSuspended(m_body);
        return m_thread != nullptr;
    }
    void Resume() {
        if (m_thread) {
            m_thread->Resume();
        }
    }
    bool Exists() const { return m_thread != nullptr; }
    // True when there is no thread or it ended within the time.
    bool WaitForEnd(std::uint32_t milliseconds) {
        return !m_thread || m_thread->WaitForEnd(milliseconds);
    }
    // Waits for the thread to end, then forgets it. False when it did not
    // end in time (it is forgotten all the same: the link is gone).
    bool WaitAndRelease(std::uint32_t milliseconds) {
        const bool ended = !m_thread || m_thread->WaitForEnd(milliseconds);
        m_thread.reset();
        return ended;
    }

private:
    platform::ThreadPort& m_threads;
    std::function<int()> m_body;
    std::unique_ptr<platform::Thread> m_thread;
};

} // namespace driver
