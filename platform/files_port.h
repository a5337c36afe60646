#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// <windows.h> turns CopyFile into CopyFileA/W; the member keeps its own name.
#ifdef CopyFile
#undef CopyFile
#endif

namespace platform {

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
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // True for the first byte of a double-byte character, whose second byte
    // may equal a backslash.
    virtual bool IsLeadByte(unsigned char byte) = 0;
    // A path's length in the units the system's path buffers count: bytes
    // of the ANSI code page unless an implementation says otherwise.
    virtual std::size_t PathLength(std::string_view path) { return path.size(); }
};

} // namespace platform
