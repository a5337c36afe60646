#include "platform/win32/win32_wide_profile.h"
#include "platform/ini/ini_engine.h"
#include "platform/win32/win32_profile_text.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

// The API silently truncates longer paths and would open another file; an
// empty path would mean a file in the Windows folder.
std::optional<std::wstring> UsablePath(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::wstring wide = Wide(path);
    if (wide.size() >= MAX_PATH) {
        return std::nullopt;
    }
    return wide;
}

// The value through the wide read, which decodes a file without a
// byte-order mark with the ANSI code page.
std::string ReadWide(std::string_view section, std::string_view key, std::string_view defaultValue,
                     const std::string& path, std::size_t capacity) {
    const std::size_t size = std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max());
    if (size == 0) {
        return {};
    }
    const std::wstring defaultText = Wide(defaultValue);
    const std::optional<std::wstring> widePath = UsablePath(path);
    if (!widePath) {
        // Same shape as the API's own default: trailing spaces dropped, then cut.
        const std::size_t last = defaultText.find_last_not_of(L' ');
        const std::size_t length = last == std::wstring::npos ? 0 : last + 1;
        return Narrow(defaultText.substr(0, std::min(length, size - 1)));
    }
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD copied =
        GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), defaultText.c_str(),
                                 buffer.data(), static_cast<DWORD>(size), widePath->c_str());
    return Narrow(std::wstring(buffer.data(), std::min<std::size_t>(copied, size - 1)));
}

} // namespace

ProfileText Win32WideProfile::ReadText(std::string_view section, std::string_view key,
                                       const std::string& path, TextEncoding encoding,
                                       std::size_t capacity) {
    const std::optional<std::wstring> widePath = UsablePath(path);
    if (!widePath) {
        return {ProfileText::Status::Missing, {}};
    }
    return ReadWin32ProfileText(*widePath, section, key, encoding, capacity);
}

std::string Win32WideProfile::GetString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue, const std::string& path,
                                        std::size_t capacity) {
    // Bytes of the ANSI code page, as the port promises.
    const std::wstring text = Wide(ReadWide(section, key, defaultValue, path, capacity));
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                        nullptr, nullptr);
    return out.substr(0, capacity == 0 ? 0 : capacity - 1);
}

int Win32WideProfile::GetInt(std::string_view section, std::string_view key, int defaultValue,
                             const std::string& path) {
    const std::optional<std::wstring> widePath = UsablePath(path);
    if (!widePath) {
        return defaultValue;
    }
    return static_cast<int>(GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(),
                                                  defaultValue, widePath->c_str()));
}

bool Win32WideProfile::WriteString(std::string_view section, std::string_view key,
                                   std::string_view value, const std::string& path) {
    const std::optional<std::wstring> widePath = UsablePath(path);
    // As the ANSI port: nothing that would change other keys is written.
    if (!widePath || !ini::IsWritableEntry(section, key, value)) {
        return false;
    }
    return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                      widePath->c_str()) != FALSE;
}

} // namespace platform
