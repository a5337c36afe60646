#include "platform/win32/win32_wide_files.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_text.h"

#include <vector>

#include <windows.h>

#include <shlobj.h>

namespace platform {

std::string Win32WideFiles::ModulePath() {
    // A cut path would name another folder, so grow until it fits and let
    // the caller decide what is too long.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return Narrow(std::wstring(buffer.data(), length));
        }
    }
    return {};
}

std::string Win32WideFiles::AppDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, FALSE)) {
        return {};
    }
    return Narrow(buffer);
}

bool Win32WideFiles::FileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32WideFiles::MakeSureDirectoryPathExists(const std::string& folder) {
    // The wide API has no such call: create each level up to the last
    // separator, skipping the drive ("C:\") and a share ("\\server\share\").
    const std::wstring path = Wide(folder);
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos) {
        return true;
    }
    std::size_t from = 0;
    if (path.rfind(L"\\\\", 0) == 0) {
        const std::size_t server = path.find_first_of(L"\\/", 2);
        from = server == std::wstring::npos ? path.size() : path.find_first_of(L"\\/", server + 1);
    } else if (path.size() >= 2 && path[1] == L':') {
        from = 2;
    }
    for (std::size_t at = path.find_first_of(L"\\/", from + 1);
         at != std::wstring::npos && at <= last; at = path.find_first_of(L"\\/", at + 1)) {
        const std::wstring level = path.substr(0, at);
        if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    const DWORD attributes = GetFileAttributesW(path.substr(0, last).c_str());
    return last == 0 ||
           (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

std::size_t Win32WideFiles::PathLength(std::string_view path) {
    return Wide(path).size();
}

bool Win32WideFiles::Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) {
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(),
                     ifExists == IfTargetExists::Fail ? TRUE : FALSE) != FALSE;
}

bool Win32WideFiles::AppendToFile(const std::string& path, std::string_view text) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE &&
        written == text.size();
    CloseHandle(file);
    return ok;
}

std::optional<std::uint64_t> Win32WideFiles::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<std::string> Win32WideFiles::ReadContents(const std::string& path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return ReadAndClose(file);
}

bool Win32WideFiles::ReplaceContents(const std::string& path, std::string_view contents) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && WriteAndClose(file, contents);
}

bool Win32WideFiles::RenameFile(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32WideFiles::RemoveFile(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != FALSE;
}

} // namespace platform
