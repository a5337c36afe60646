#pragma once

#include "platform/files_port.h"

#include <optional>
#include <string>

namespace driver {

// Tells whether the settings file may hold another calibration than the one
// last read from it, from its size and write time, so that a search for a
// missing board does not read the whole grid every time. Dialog thread only.
class CalibrationFileWatch {
public:
    explicit CalibrationFileWatch(platform::FilesPort& files) : m_files(files) {}

    // True when the file must be read (again): never read, written or
    // replaced since, or of a stamp this system cannot tell. Call it before
    // the read, so that a write during the read shows next time.
    bool NeedsReading(const std::string& path) {
        const bool wasRead = m_read && path == m_path && m_stamp;
        const std::optional<platform::FileStamp> before = m_stamp;
        Remember(path);
        return !wasRead || m_stamp != before;
    }
    // The file is about to be read whatever it looks like.
    void Remember(const std::string& path) {
        m_read = true;
        m_path = path;
        m_stamp = m_files.Stamp(path);
    }

private:
    platform::FilesPort& m_files;
    bool m_read = false;
    std::string m_path;
    std::optional<platform::FileStamp> m_stamp;
};

} // namespace driver
