#include "platform/win32/win32_profile_text.h"

#include "platform/code_page_936.h"
#include "platform/profile_text.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

// Far beyond any language file; a larger one is cut, not read whole.
constexpr DWORD kMostBytes = 4 * 1024 * 1024;

// nullopt when the file cannot be opened, which the profile functions treat
// as a missing file.
std::optional<std::string> FileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (bytes.size() < kMostBytes &&
           ReadFile(file, chunk, sizeof chunk, &read, nullptr) != FALSE && read > 0) {
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    return bytes;
}

ProfileText ReadUtf16Text(const std::wstring& path, std::string_view section, std::string_view key,
                          std::size_t capacity) {
    const std::optional<std::string> file = FileBytes(path);
    if (!file || file->empty() || capacity == 0) {
        return {ProfileText::Status::Missing, {}};
    }
    if (!profile_text::StartsWithUtf16Mark(*file)) {
        return {ProfileText::Status::Undecodable, {}};
    }
    // One unit more than shown, so that a cut surrogate pair is seen whole.
    const std::size_t size =
        std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max() - 1) + 1;
    std::vector<wchar_t> buffer(size, L'\0');
    const std::wstring absent = Wide(profile_text::kAbsent);
    const DWORD copied =
        GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), absent.c_str(),
                                 buffer.data(), static_cast<DWORD>(size), path.c_str());
    const std::wstring value(buffer.data(), std::min<std::size_t>(copied, size - 1));
    if (value == absent) {
        return {ProfileText::Status::Missing, {}};
    }
    return profile_text::FoundText(std::u16string(value.begin(), value.end()), capacity);
}

} // namespace

ProfileText ReadWin32ProfileText(const std::wstring& path, std::string_view section,
                                 std::string_view key, TextEncoding encoding,
                                 std::size_t capacity) {
    if (encoding == TextEncoding::Utf16) {
        return ReadUtf16Text(path, section, key, capacity);
    }
    return profile_text::ReadDoubleByteText(FileBytes(path), section, key, capacity,
                                            DecodeCodePage936);
}

} // namespace platform
