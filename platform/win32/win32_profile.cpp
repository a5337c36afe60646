#include "platform/win32/win32_profile.h"

#include <algorithm>
#include <limits>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {

namespace {

// The API silently truncates longer paths and would open another file.
bool IsUsablePath(const std::string& path) {
    return path.size() < MAX_PATH && path.find('\0') == std::string::npos;
}

bool IsBlankName(std::string_view name) {
    return name.find_first_not_of(" \t\v\f\x1a") == std::string_view::npos;
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
    // Windows versions disagree on empty names (some crash); refuse them.
    if (!IsUsablePath(path) || IsBlankName(section) || IsBlankName(key)) {
        return false;
    }
    const std::string sectionText(section);
    const std::string keyText(key);
    const std::string valueText(value);
    return WritePrivateProfileStringA(sectionText.c_str(), keyText.c_str(), valueText.c_str(),
                                      path.c_str()) != FALSE;
}

} // namespace platform
