#pragma once

#include "platform/thread_port.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace driver {

// The process's one reader thread, made suspended by whichever link opens
// and resumed once the link's flags are set. Dialog thread only.
class ReaderThread {
public:
    ReaderThread(platform::ThreadPort& threads, std::function<int()> body)
        : m_threads(threads), m_body(std::move(body)) {}

    // False when the thread cannot be created, or when the last one has not
    // ended yet: two readers must never share the loop and the ports.
    bool CreateSuspended() {
        if (!WaitForEnd(0)) {
            return false;
        }
        m_thread = m_threads.CreateSuspended(m_body);
        return m_thread != nullptr;
    }
    void Resume() {
        if (m_thread) {
            m_thread->Resume();
        }
    }
    bool Exists() const { return m_thread != nullptr; }
    // True when there is no thread or it ended within the time; a thread
    // that ended is forgotten, one that runs on is kept.
    bool WaitForEnd(std::uint32_t milliseconds) {
        if (m_thread && !m_thread->WaitForEnd(milliseconds)) {
            return false;
        }
        m_thread.reset();
        return true;
    }

private:
    platform::ThreadPort& m_threads;
    std::function<int()> m_body;
    std::unique_ptr<platform::Thread> m_thread;
};

} // namespace driver
