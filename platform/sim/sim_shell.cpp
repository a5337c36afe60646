#include "platform/sim/sim_shell.h"

namespace platform {

bool SimShell::OpenProgram(const std::string& file, const std::string& parameters,
                           const std::string& folder, int showCommand) {
    std::lock_guard guard(m_lock);
    m_opened.push_back({file, parameters, folder, showCommand});
    return !m_failOpens;
}

std::vector<OpenedProgram> SimShell::Opened() const {
    std::lock_guard guard(m_lock);
    return m_opened;
}

void SimShell::FailOpens(bool fail) {
    std::lock_guard guard(m_lock);
    m_failOpens = fail;
}

} // namespace platform
