#include "platform/sim/sim_files.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

namespace platform {

bool SimFiles::FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

bool SimFiles::MakeSureDirectoryPathExists(const std::string& folder) {
    if (m_failMakeDirectories) {
        return false;
    }
    const std::size_t last = folder.find_last_of("/\\");
    if (last == std::string::npos || last == 0) {
        return true;
    }
    const std::filesystem::path target = folder.substr(0, last);
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (error || !std::filesystem::is_directory(target, error)) {
        return false;
    }
    return true;
}

bool SimFiles::Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) {
    if (m_failCopies) {
        return false;
    }
    const auto options = ifExists == IfTargetExists::Fail
                             ? std::filesystem::copy_options::none
                             : std::filesystem::copy_options::overwrite_existing;
    std::error_code error;
    if (!std::filesystem::copy_file(from, to, options, error) || error) {
        return false;
    }
    ++m_filesCopied;
    if (m_afterCopy) {
        m_afterCopy(m_filesCopied);
    }
    return true;
}

bool SimFiles::IsLeadByte(unsigned char byte) {
    return byte >= m_leadFirst && byte <= m_leadLast;
}

bool SimFiles::AppendToFile(const std::string& path, std::string_view text) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file);
}

std::optional<std::uint64_t> SimFiles::FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        return std::nullopt;
    }
    return size;
}

std::optional<FileStamp> SimFiles::Stamp(const std::string& path) {
    ++m_stampsTaken;
    const std::optional<std::string> contents = ReadContents(path);
    if (!contents) {
        return std::nullopt;
    }
    return FileStamp{contents->size(), std::hash<std::string>{}(*contents)};
}

std::optional<std::string> SimFiles::ReadContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return contents;
}

bool SimFiles::ReplaceContents(const std::string& path, std::string_view contents) {
    if (!std::filesystem::is_regular_file(path)) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return static_cast<bool>(file);
}

bool SimFiles::RenameFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

bool SimFiles::RemoveFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(path, error) && !error;
}

void SimFiles::SetLeadByteRange(unsigned char first, unsigned char last) {
    m_leadFirst = first;
    m_leadLast = last;
}

} // namespace platform
