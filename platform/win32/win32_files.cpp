#include "platform/win32/win32_files.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <windows.h>

#include <imagehlp.h>
#include <shlobj.h>

namespace platform {

std::string Win32Files::ModulePath() {
    // A cut path would name another folder, so grow until it fits and let
    // the caller decide what is too long.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buffer(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::string(buffer.data(), length);
        }
    }
    return {};
}

std::string Win32Files::AppDataFolder() {
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_APPDATA, FALSE)) {
        return {};
    }
    return buffer;
}

bool Win32Files::FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::MakeSureDirectoryPathExists(const std::string& folder) {
    return ::MakeSureDirectoryPathExists(folder.c_str()) != FALSE;
}

bool Win32Files::Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) {
    return CopyFileA(from.c_str(), to.c_str(), ifExists == IfTargetExists::Fail ? TRUE : FALSE) !=
           FALSE;
}

bool Win32Files::IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

bool Win32Files::AppendToFile(const std::string& path, std::string_view text) {
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                                nullptr) != FALSE &&
                    written == text.size();
    ::CloseHandle(file);
    return ok;
}

std::optional<std::uint64_t> Win32Files::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<FileStamp> Win32Files::Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return FileStamp{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                     (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                         data.ftLastWriteTime.dwLowDateTime};
}

std::optional<std::string> ReadAndClose(void* file) {
    std::string contents;
    char chunk[4096];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &read, nullptr)) {
            ::CloseHandle(file);
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        contents.append(chunk, read);
    }
    ::CloseHandle(file);
    return contents;
}

std::optional<std::string> Win32Files::ReadContents(const std::string& path) {
    // Shared every way, so that the driver and the settings dialog can go on
    // writing while this reads.
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return ReadAndClose(file);
}

bool WriteAndClose(void* file, std::string_view contents) {
    bool ok = true;
    while (ok && !contents.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1U << 20));
        DWORD written = 0;
        ok = ::WriteFile(file, contents.data(), chunk, &written, nullptr) != FALSE && written != 0;
        contents.remove_prefix(ok ? written : 0);
    }
    return ::CloseHandle(file) != FALSE && ok;
}

bool Win32Files::ReplaceContents(const std::string& path, std::string_view contents) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && WriteAndClose(file, contents);
}

bool Win32Files::RenameFile(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32Files::RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}

} // namespace platform
