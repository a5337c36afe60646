#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

// Behaviour the Windows private-profile functions show (checked against
// Wine's implementation and its tests run on Windows). Every port must pass
// the same table, the real API included.
namespace platform::test {

enum class ProfileOp {
    ReadString,    // GetString(section, key, text, path, capacity) == expected
    ReadInt,       // GetInt(section, key, number, path) == expectedInt
    WriteThenRead, // WriteString(section, key, text) succeeds, GetString == expected
};

struct ProfileVector {
    std::string_view name;                // unique, [A-Za-z0-9_]: test name and file name
    std::optional<std::string_view> file; // content before the call; nullopt: no file
    ProfileOp op = ProfileOp::ReadString;
    std::string_view section;
    std::string_view key;
    std::string_view text; // default (ReadString) or value written
    int number = 0;        // default of ReadInt
    std::size_t capacity = 260;
    std::string_view expected;
    int expectedInt = 0;
    // Exact file after a write, only where Windows and Wine produce the same bytes.
    std::optional<std::string_view> expectedFile;
};

std::span<const ProfileVector> ProfileVectors();

} // namespace platform::test
