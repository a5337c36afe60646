#pragma once

#include "platform/files_port.h"

#include <optional>
#include <string>

namespace platform {

// The bytes of a file opened for reading, which it closes; none when a read
// fails. The handle is a HANDLE, kept opaque for headers without windows.h.
std::optional<std::string> ReadAndClose(void* file);
// Writes every byte to a file opened for writing and closes it.
bool WriteAndClose(void* file, std::string_view contents);

class Win32Files final : public FilesPort {
public:
    std::string ModulePath() override;
    std::string AppDataFolder() override;
    bool FileExists(const std::string& path) override;
    bool MakeSureDirectoryPathExists(const std::string& folder) override;
    bool Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) override;
    bool IsLeadByte(unsigned char byte) override;
    bool AppendToFile(const std::string& path, std::string_view text) override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    std::optional<FileStamp> Stamp(const std::string& path) override;
    std::optional<std::string> ReadContents(const std::string& path) override;
    bool ReplaceContents(const std::string& path, std::string_view contents) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
};

} // namespace platform
