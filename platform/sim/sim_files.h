#pragma once

#include "platform/files_port.h"

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace platform {

// Files port over native paths on the real disk, so that IniFileProfile
// reads what it writes. The executable and the application-data folder are
// whatever native paths the test names; nothing is created for them.
class SimFiles final : public FilesPort {
public:
    SimFiles(std::string modulePath, std::string appDataFolder)
        : m_modulePath(std::move(modulePath)), m_appDataFolder(std::move(appDataFolder)) {}

    std::string ModulePath() override { return m_modulePath; }
    std::string AppDataFolder() override { return m_appDataFolder; }
    bool FileExists(const std::string& path) override;
    bool MakeSureDirectoryPathExists(const std::string& folder) override;
    bool Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) override;
    bool IsLeadByte(unsigned char byte) override;
    bool AppendToFile(const std::string& path, std::string_view text) override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    // The write time is the contents' hash: a test rewrites a file faster
    // than the disk's clock ticks. Counted in StampsTaken.
    std::optional<FileStamp> Stamp(const std::string& path) override;
    std::optional<std::string> ReadContents(const std::string& path) override;
    bool ReplaceContents(const std::string& path, std::string_view contents) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;

    void SetModulePath(std::string path) { m_modulePath = std::move(path); }
    void SetAppDataFolder(std::string folder) { m_appDataFolder = std::move(folder); }
    // Code page 936 has lead bytes 0x81..0xFE; by default there are none.
    void SetLeadByteRange(unsigned char first, unsigned char last);
    void FailMakeDirectories(bool fail) { m_failMakeDirectories = fail; }
    void FailCopies(bool fail) { m_failCopies = fail; }
    // Runs after every copy made, where another program's write to either
    // file would land; given the copy's number from 1.
    void AfterEachCopy(std::function<void(std::size_t copy)> hook) {
        m_afterCopy = std::move(hook);
    }

    std::size_t FilesCopied() const { return m_filesCopied; }
    std::size_t StampsTaken() const { return m_stampsTaken; }

private:
    std::string m_modulePath;
    std::string m_appDataFolder;
    unsigned m_leadFirst = 1;
    unsigned m_leadLast = 0;
    bool m_failMakeDirectories = false;
    bool m_failCopies = false;
    std::size_t m_filesCopied = 0;
    std::size_t m_stampsTaken = 0;
    std::function<void(std::size_t)> m_afterCopy;
};

} // namespace platform
