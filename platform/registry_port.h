#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace platform {

class RegistryPort;

// An open key, closed when it goes out of scope; empty when the key could
// not be opened.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryPort& port, std::uintptr_t handle) : m_port(&port), m_handle(handle) {}
    RegistryKey(RegistryKey&& other) noexcept
        : m_port(other.m_port), m_handle(std::exchange(other.m_handle, 0)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            Close();
            m_port = other.m_port;
            m_handle = std::exchange(other.m_handle, 0);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    explicit operator bool() const { return m_handle != 0; }
    std::uintptr_t Handle() const { return m_handle; }

private:
    void Close();

    RegistryPort* m_port = nullptr;
    std::uintptr_t m_handle = 0;
};

// Read-only access to HKEY_LOCAL_MACHINE.
class RegistryPort {
public:
    // Subkey names are at most 255 characters.
    static constexpr std::size_t kSubkeyNameBuffer = 256;

    virtual ~RegistryPort() = default;

    // Opens the key below HKEY_LOCAL_MACHINE with read access.
    virtual RegistryKey OpenKey(const std::string& path) = 0;
    // A string value read into a buffer of bufferSize bytes; none when the
    // value is missing, is not a string or does not fit with its terminator.
    virtual std::optional<std::string> ReadString(const RegistryKey& key, const std::string& name,
                                                  std::size_t bufferSize) = 0;
    // A 32-bit value; none when it is missing or of another type.
    virtual std::optional<std::uint32_t> ReadDword(const RegistryKey& key,
                                                   const std::string& name) = 0;
    virtual std::optional<std::uint32_t> SubkeyCount(const RegistryKey& key) = 0;
    // The name of the subkey at index; none past the last one.
    virtual std::optional<std::string> EnumSubkey(const RegistryKey& key, std::uint32_t index) = 0;

private:
    friend class RegistryKey;
    virtual void CloseKey(std::uintptr_t handle) = 0;
};

inline void RegistryKey::Close() {
    if (m_handle != 0) {
        m_port->CloseKey(std::exchange(m_handle, 0));
    }
}

} // namespace platform
