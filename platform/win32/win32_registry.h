#pragma once

#include "platform/registry_port.h"

namespace platform {

// HKEY_LOCAL_MACHINE in whichever view the process gets: a 32-bit build
// under WOW64 reads the 32-bit view, as the key paths expect.
class Win32Registry final : public RegistryPort {
public:
    RegistryKey OpenKey(const std::string& path) override;
    void CloseKey(RegistryKey key) override;
    bool ReadString(RegistryKey key, const std::string& name, std::size_t bufferSize,
                    std::string& value) override;
    bool ReadDword(RegistryKey key, const std::string& name, std::uint32_t& value) override;
    bool QuerySubkeyCount(RegistryKey key, std::uint32_t& count) override;
    bool EnumSubkey(RegistryKey key, std::uint32_t index, std::string& name) override;
};

} // namespace platform
