#include <windows.h>

#include "platform/win32/win32_registry.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

HKEY Hkey(const RegistryKey& key) {
    return reinterpret_cast<HKEY>(key.Handle());
}

} // namespace

RegistryKey Win32Registry::OpenKey(const std::string& path) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        m_trace.Failure("RegOpenKeyExA", static_cast<std::uint32_t>(status), path);
        return {};
    }
    return {*this, reinterpret_cast<std::uintptr_t>(key)};
}

void Win32Registry::CloseKey(std::uintptr_t handle) {
    ::RegCloseKey(reinterpret_cast<HKEY>(handle));
}

std::optional<std::string>
Win32Registry::ReadString(const RegistryKey& key, const std::string& name, std::size_t bufferSize) {
    std::vector<char> buffer(bufferSize);
    DWORD type = 0;
    auto size = static_cast<DWORD>(bufferSize);
    // ERROR_MORE_DATA when the value and its terminator do not fit.
    const LSTATUS status = ::RegQueryValueExA(Hkey(key), name.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        m_trace.Failure("RegQueryValueExA", static_cast<std::uint32_t>(status), name);
        return std::nullopt;
    }
    // A value stored without its terminator is not terminated in the buffer;
    // one that fills the buffer would not fit with its terminator.
    const std::size_t length = ::strnlen(buffer.data(), size);
    if (length >= bufferSize) {
        m_trace.Failure("RegQueryValueExA", ERROR_MORE_DATA, name);
        return std::nullopt;
    }
    return std::string(buffer.data(), length);
}

std::optional<std::uint32_t> Win32Registry::ReadDword(const RegistryKey& key,
                                                      const std::string& name) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LSTATUS status = ::RegQueryValueExA(Hkey(key), name.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data)) {
        m_trace.Failure("RegQueryValueExA", static_cast<std::uint32_t>(status), name);
        return std::nullopt;
    }
    return data;
}

std::optional<std::uint32_t> Win32Registry::SubkeyCount(const RegistryKey& key) {
    DWORD subkeys = 0;
    const LSTATUS status =
        ::RegQueryInfoKeyA(Hkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        m_trace.Failure("RegQueryInfoKeyA", static_cast<std::uint32_t>(status), {});
        return std::nullopt;
    }
    return subkeys;
}

std::optional<std::string> Win32Registry::EnumSubkey(const RegistryKey& key, std::uint32_t index) {
    char buffer[kSubkeyNameBuffer];
    DWORD length = sizeof(buffer);
    const LSTATUS status =
        ::RegEnumKeyExA(Hkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        if (status != ERROR_NO_MORE_ITEMS) {
            m_trace.Failure("RegEnumKeyExA", static_cast<std::uint32_t>(status), {});
        }
        return std::nullopt;
    }
    return std::string(buffer, length);
}

} // namespace platform
