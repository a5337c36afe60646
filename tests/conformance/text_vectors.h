#pragma once

#include "platform/profile_port.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// How display texts come out of language files, whatever the system's code
// page. Every port must pass the same table, the real API included.
namespace platform::test {

struct TextVector {
    std::string_view name;           // unique, [A-Za-z0-9_]: test name and file name
    std::optional<std::string> file; // content; nullopt: no file
    std::string_view key;            // in section "S"
    TextEncoding encoding = TextEncoding::CodePage936;
    std::size_t capacity = ProfilePort::kDefaultCapacity;
    ProfileText::Status status = ProfileText::Status::Found;
    std::string expected; // UTF-8
    bool cut = false;
};

std::span<const TextVector> TextVectors();

} // namespace platform::test
