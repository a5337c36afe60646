#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// How a file of display texts is written.
enum class TextEncoding {
    CodePage936, // Simplified Chinese bytes, with no byte-order mark
    Utf16,       // UTF-16LE after the byte-order mark FF FE
};

// One display text read from a file. Undecodable: the file is not in the
// encoding asked for (a byte-order mark of another, or bytes that are no
// text of it), so none of its texts should be trusted.
struct ProfileText {
    enum class Status { Found, Missing, Undecodable };
    Status status = Status::Missing;
    std::string text; // UTF-8, when Found
    bool cut = false; // Found, but longer than the capacity allows
};

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

    // The value as display text in UTF-8, decoded from the encoding the file
    // is written in whatever the system's code page, and cut to capacity - 1
    // UTF-16 units without splitting a character.
    virtual ProfileText ReadText(std::string_view section, std::string_view key,
                                 const std::string& path, TextEncoding encoding,
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
