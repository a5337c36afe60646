#include "platform/win32/win32_profile.h"
#include "platform/ini/ini_engine.h"
#include "platform/win32/win32_profile_text.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

// The API silently truncates longer paths and would open another file; an
// empty path would mean a file in the Windows folder.
bool IsUsablePath(const std::string& path) {
    return !path.empty() && path.size() < MAX_PATH && path.find('\0') == std::string::npos;
}

// Paths are bytes of the ANSI code page, like every path the driver builds.
std::wstring WidePath(const std::string& path) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                            length);
    }
    return wide;
}

} // namespace

std::string Win32Profile::GetString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    std::size_t capacity) {
    const std::size_t size = std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max());
    if (size == 0) {
        return {};
    }
    const std::string defaultText(defaultValue);
    if (!IsUsablePath(path)) {
        // Same shape as the API's own default: trailing spaces dropped, then cut.
        const std::size_t last = defaultText.find_last_not_of(' ');
        const std::size_t length = last == std::string::npos ? 0 : last + 1;
        return defaultText.substr(0, std::min(length, size - 1));
    }
    const std::string sectionText(section);
    const std::string keyText(key);
    std::vector<char> buffer(size, '\0');
    const DWORD copied =
        GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), defaultText.c_str(),
                                 buffer.data(), static_cast<DWORD>(size), path.c_str());
    return std::string(buffer.data(), std::min<std::size_t>(copied, size - 1));
}

ProfileText Win32Profile::ReadText(std::string_view section, std::string_view key,
                                   const std::string& path, TextEncoding encoding,
                                   std::size_t capacity) {
    if (!IsUsablePath(path)) {
        return {ProfileText::Status::Missing, {}};
    }
    return ReadWin32ProfileText(WidePath(path), section, key, encoding, capacity);
}

int Win32Profile::GetInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path) {
    if (!IsUsablePath(path)) {
        return defaultValue;
    }
    const std::string sectionText(section);
    const std::string keyText(key);
    const UINT value =
        GetPrivateProfileIntA(sectionText.c_str(), keyText.c_str(), defaultValue, path.c_str());
    return static_cast<int>(value);
}

bool Win32Profile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
    // The API writes whatever it is given: a line break or a stray '=' in a
    // name would change other keys, and blank names crash some versions.
    if (!IsUsablePath(path) || !ini::IsWritableEntry(section, key, value)) {
        return false;
    }
    const std::string sectionText(section);
    const std::string keyText(key);
    const std::string valueText(value);
    return WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(),
                                      path.c_str()) != FALSE;
}

} // namespace platform
