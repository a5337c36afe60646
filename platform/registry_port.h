#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open key; None when a key could not be opened.
enum class RegistryKey : std::uintptr_t { None = 0 };

// Read-only access to HKEY_LOCAL_MACHINE. Every key that opens must be
// closed by the caller.
class RegistryPort {
public:
    // Subkey names are at most 255 characters.
    static constexpr std::size_t kSubkeyNameBuffer = 256;

    virtual ~RegistryPort() = default;

    // Opens the key below HKEY_LOCAL_MACHINE with read access.
    virtual RegistryKey OpenKey(const std::string& path) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
    // A string value read into a buffer of bufferSize bytes; false when the
    // value is missing, is not a string or does not fit with its terminator.
    virtual bool ReadString(RegistryKey key, const std::string& name, std::size_t bufferSize,
                            std::string& value) = 0;
    // A 32-bit value; false when it is missing or of another type.
    virtual bool ReadDword(RegistryKey key, const std::string& name, std::uint32_t& value) = 0;
    virtual bool QuerySubkeyCount(RegistryKey key, std::uint32_t& count) = 0;
    // The name of the subkey at index; false past the last one.
    virtual bool EnumSubkey(RegistryKey key, std::uint32_t index, std::string& name) = 0;
};

} // namespace platform
