#include "driver/ipc/server_wait.h"

namespace driver {

bool ServerWait::Wait(platform::PipeServer& server) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_cancelled) {
            return false;
        }
        m_waiting = &server;
    }
    const bool connected = server.WaitForClient();
    const std::lock_guard lock(m_mutex);
    m_waiting = nullptr;
    return connected && !m_cancelled;
}

void ServerWait::Cancel() {
    const std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_waiting != nullptr) {
        m_waiting->CancelWait();
    }
}

} // namespace driver
