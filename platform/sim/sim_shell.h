#pragma once

#include "platform/shell_port.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct OpenedProgram {
    std::string file;
    std::string parameters;
    std::string folder;
    int showCommand = 0;
    friend bool operator==(const OpenedProgram&, const OpenedProgram&) = default;
};

// Records the programs it is asked to open and starts none of them.
class SimShell final : public ShellPort {
public:
    bool OpenProgram(const std::string& file, const std::string& parameters,
                     const std::string& folder, int showCommand) override;

    std::vector<OpenedProgram> Opened() const;
    void FailOpens(bool fail);

private:
    mutable std::mutex m_lock;
    std::vector<OpenedProgram> m_opened;
    bool m_failOpens = false;
};

} // namespace platform
