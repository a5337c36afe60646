#pragma once

#include "platform/profile_port.h"

namespace platform {

// Profile port of Unicode programs: paths, sections, keys and written values
// are UTF-8 and go to the wide API; the file itself keeps the encoding it
// has (new files are written in the ANSI code page). Paths of MAX_PATH
// UTF-16 units or more are refused instead of being cut.
class Win32WideProfile final : public ProfilePort {
public:
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, const std::string& path,
                          std::size_t capacity = kDefaultCapacity) override;
    ProfileText ReadText(std::string_view section, std::string_view key, const std::string& path,
                         TextEncoding encoding, std::size_t capacity = kDefaultCapacity) override;
    int GetInt(std::string_view section, std::string_view key, int defaultValue,
               const std::string& path) override;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override;
};

} // namespace platform
