#pragma once

#include "platform/registry_port.h"
#include "platform/trace_port.h"

namespace platform {

// HKEY_LOCAL_MACHINE in whichever view the process gets: a 32-bit build
// under WOW64 reads the 32-bit view, as the key paths expect.
class Win32Registry final : public RegistryPort {
public:
    explicit Win32Registry(TracePort& trace) : m_trace(trace) {}

    RegistryKey OpenKey(const std::string& path) override;
    std::optional<std::string> ReadString(const RegistryKey& key, const std::string& name,
                                          std::size_t bufferSize) override;
    std::optional<std::uint32_t> ReadDword(const RegistryKey& key,
                                           const std::string& name) override;
    std::optional<std::uint32_t> SubkeyCount(const RegistryKey& key) override;
    std::optional<std::string> EnumSubkey(const RegistryKey& key, std::uint32_t index) override;

private:
    void CloseKey(std::uintptr_t handle) override;

    TracePort& m_trace;
};

} // namespace platform
