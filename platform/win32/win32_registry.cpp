#include <windows.h>

#include "platform/win32/win32_registry.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

HKEY Hkey(RegistryKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

} // namespace

RegistryKey Win32Registry::OpenKey(const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return RegistryKey::None;
    }
    return static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(key));
}

void Win32Registry::CloseKey(RegistryKey key) {
    if (key != RegistryKey::None) {
        ::RegCloseKey(Hkey(key));
    }
}

bool Win32Registry::ReadString(RegistryKey key, const std::string& name, std::size_t bufferSize,
                               std::string& value) {
    std::vector<char> buffer(bufferSize);
    DWORD type = 0;
    auto size = static_cast<DWORD>(bufferSize);
    // ERROR_MORE_DATA when the value and its terminator do not fit.
    if (::RegQueryValueExA(Hkey(key), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    // A value stored without its terminator is not terminated in the buffer.
    value.assign(buffer.data(), ::strnlen(buffer.data(), size));
    return true;
}

bool Win32Registry::ReadDword(RegistryKey key, const std::string& name, std::uint32_t& value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(Hkey(key), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data)) {
        return false;
    }
    value = data;
    return true;
}

bool Win32Registry::QuerySubkeyCount(RegistryKey key, std::uint32_t& count) {
    DWORD subkeys = 0;
    if (::RegQueryInfoKeyA(Hkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    count = subkeys;
    return true;
}

bool Win32Registry::EnumSubkey(RegistryKey key, std::uint32_t index, std::string& name) {
    char buffer[kSubkeyNameBuffer];
    DWORD length = sizeof(buffer);
    if (::RegEnumKeyExA(Hkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    name.assign(buffer, length);
    return true;
}

} // namespace platform
