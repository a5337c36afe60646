#pragma once

#include "platform/security_port.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

// The named objects of one simulated machine: every SimSecurity built over
// the same registry sees the same mutexes.
class SimMutexRegistry {
public:
    // One more holder of name; true when it had holders already.
    bool Acquire(const std::string& name);
    void Release(const std::string& name);
    bool Exists(const std::string& name) const;

    // Named events, signalled by whoever holds the machine (an installer).
    void SignalEvent(const std::string& name);
    bool EventSignalled(const std::string& name) const;

private:
    mutable std::mutex m_lock;
    std::map<std::string, int> m_holders;
    std::set<std::string> m_signalledEvents;
};

// One simulated process. Its mutex handles are released when it is
// destroyed, as the end of a process releases them.
class SimSecurity final : public SecurityPort {
public:
    explicit SimSecurity(SimMutexRegistry& mutexes) : m_mutexes(mutexes) {}
    ~SimSecurity() override;
    SimSecurity(const SimSecurity&) = delete;
    SimSecurity& operator=(const SimSecurity&) = delete;

    bool IsUserAdmin() override { return m_isAdmin; }
    bool IsWow64() override { return m_isWow64; }
    bool CreateSingleInstanceMutex(const std::string& name) override;
    bool OpenEndEvent(const std::string& name) override;
    bool EndEventSignalled() override;

    void SetUserAdmin(bool isAdmin) { m_isAdmin = isAdmin; }
    void SetWow64(bool isWow64) { m_isWow64 = isWow64; }

private:
    SimMutexRegistry& m_mutexes;
    std::vector<std::string> m_held;
    std::string m_endEvent;
    bool m_isAdmin = false;
    bool m_isWow64 = false;
};

} // namespace platform
