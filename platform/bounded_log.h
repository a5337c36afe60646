#pragma once

#include "platform/files_port.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// A log file of stamped lines ("[<tick> ms] text\r\n") kept under a bound
// by moving a full file aside to "<name>.old", one older generation, so a
// log left on for weeks stays small. Not locked: a writer used from several
// threads serialises its calls.
class BoundedLog {
public:
    BoundedLog(FilesPort& files, std::uint64_t maxFileBytes)
        : m_files(files), m_maxFileBytes(maxFileBytes) {}

    // The line as it goes into the file, stamped with the tick it happened at.
    static std::string Stamped(std::uint32_t tick, std::string_view text);

    // "" writes nowhere.
    void SetPath(std::string path) { m_path = std::move(path); }
    const std::string& Path() const { return m_path; }
    // Appends a stamped line, after moving the file aside when the line
    // would take it past the bound.
    void Append(std::string_view stampedLine);

private:
    FilesPort& m_files;
    std::uint64_t m_maxFileBytes;
    std::string m_path;
};

} // namespace platform
