#pragma once

#include "platform/files_port.h"

namespace platform {

// Files port of Unicode programs: paths are UTF-8 and reach the wide API
// whole, so folders with names outside the ANSI code page work. UTF-8 never
// puts a backslash inside a character, hence no lead bytes.
class Win32WideFiles final : public FilesPort {
public:
    std::string ModulePath() override;
    std::string AppDataFolder() override;
    bool FileExists(const std::string& path) override;
    bool MakeSureDirectoryPathExists(const std::string& folder) override;
    bool Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) override;
    bool AppendToFile(const std::string& path, std::string_view text) override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    std::optional<std::string> ReadContents(const std::string& path) override;
    bool ReplaceContents(const std::string& path, std::string_view contents) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    bool IsLeadByte(unsigned char) override { return false; }
    // UTF-16 units, which the wide API's buffers count.
    std::size_t PathLength(std::string_view path) override;
};

} // namespace platform
