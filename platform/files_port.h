#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What changes when a file is written or replaced.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What a copy does when its target is there already.
enum class IfTargetExists : std::uint8_t { Replace, Fail };

// Files and folders. Paths are bytes in the system's ANSI code page.
class FilesPort {
public:
    virtual ~FilesPort() = default;

    // Full path of the running executable, uncut however long; "" on failure.
    virtual std::string ModulePath() = 0;
    // The user's application-data folder without a trailing separator; not
    // created when missing; "" on failure.
    virtual std::string AppDataFolder() = 0;
    // True for files and folders alike.
    virtual bool FileExists(const std::string& path) = 0;
    // Creates every missing folder up to the last separator; what follows it
    // is taken for a file name and ignored.
    virtual bool MakeSureDirectoryPathExists(const std::string& folder) = 0;
    virtual bool Copy(const std::string& from, const std::string& to, IfTargetExists ifExists) = 0;
    // Appends text to the file, creating it when missing.
    virtual bool AppendToFile(const std::string& path, std::string_view text) = 0;
    // The file's size in bytes; none when it does not exist.
    virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
    // The file's size and last write time, without opening it; none when it
    // does not exist or when this system cannot tell.
    virtual std::optional<FileStamp> Stamp(const std::string& /*path*/) { return std::nullopt; }
    // The file's bytes, read while other programs may write it; none when it
    // does not exist or cannot be read.
    virtual std::optional<std::string> ReadContents(const std::string& path) = 0;
    // Puts contents in place of the bytes of a file that exists; never makes
    // one, so that it needs only the right to write that file.
    virtual bool ReplaceContents(const std::string& path, std::string_view contents) = 0;
    // Renames from to to, replacing to when it exists.
    virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
    // Deletes a file; false when it is still there or never was.
    virtual bool RemoveFile(const std::string& path) = 0;
    // True for the first byte of a double-byte character, whose second byte
    // may equal a backslash.
    virtual bool IsLeadByte(unsigned char byte) = 0;
    // A path's length in the units the system's path buffers count: bytes
    // of the ANSI code page unless an implementation says otherwise.
    virtual std::size_t PathLength(std::string_view path) { return path.size(); }
};

} // namespace platform
