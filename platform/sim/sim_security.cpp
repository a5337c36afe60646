#include "platform/sim/sim_security.h"

namespace platform {

bool SimMutexRegistry::Acquire(const std::string& name) {
    std::lock_guard guard(m_lock);
    return m_holders[name]++ > 0;
}

void SimMutexRegistry::Release(const std::string& name) {
    std::lock_guard guard(m_lock);
    const auto found = m_holders.find(name);
    if (found != m_holders.end() && --found->second <= 0) {
        m_holders.erase(found);
    }
}

bool SimMutexRegistry::Exists(const std::string& name) const {
    std::lock_guard guard(m_lock);
    return m_holders.count(name) != 0;
}

void SimMutexRegistry::SignalEvent(const std::string& name) {
    std::lock_guard guard(m_lock);
    m_signalledEvents.insert(name);
}

bool SimMutexRegistry::EventSignalled(const std::string& name) const {
    std::lock_guard guard(m_lock);
    return m_signalledEvents.count(name) != 0;
}

SimSecurity::~SimSecurity() {
    for (const std::string& name : m_held) {
        m_mutexes.Release(name);
    }
}

bool SimSecurity::CreateSingleInstanceMutex(const std::string& name) {
    m_held.push_back(name);
    return m_mutexes.Acquire(name);
}

bool SimSecurity::OpenEndEvent(const std::string& name) {
    m_endEvent = name;
    return true;
}

bool SimSecurity::EndEventSignalled() {
    return !m_endEvent.empty() && m_mutexes.EventSignalled(m_endEvent);
}

} // namespace platform
