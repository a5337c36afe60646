#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Private-profile (INI) reads and writes. Strings are bytes in the
// system's ANSI code page; nothing is cached between calls. An empty path
// names no file: reads give their defaults and writes fail.
class ProfilePort {
public:
    // The Windows default buffer: at most 259 characters come back.
    static constexpr std::size_t kDefaultCapacity = 260;

    virtual ~ProfilePort() = default;

    // The value of key in section, or defaultValue when the file, section or
    // key is missing; cut to capacity - 1 characters.
    virtual std::string GetString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, const std::string& path,
                                  std::size_t capacity = kDefaultCapacity) = 0;

    // The same value as display text in UTF-8, decoded from the code page
    // the file is written in (the system's ANSI code page); capacity counts
    // characters.
    virtual std::string GetText(std::string_view section, std::string_view key,
                                std::string_view defaultValue, const std::string& path,
                                std::size_t capacity = kDefaultCapacity) = 0;

    // The value parsed as the Windows integer read does; defaultValue when
    // missing or empty.
    virtual int GetInt(std::string_view section, std::string_view key, int defaultValue,
                       const std::string& path) = 0;

    // Creates the file, the section or the key as needed; false when the
    // file cannot be written.
    virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                             const std::string& path) = 0;
};

} // namespace platform
