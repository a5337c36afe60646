#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace testing_support {

// A file's bytes as they are on disk; none when it does not exist.
inline std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The same, "" for a missing file.
inline std::string ReadFile(const std::filesystem::path& path) {
    return ReadFileBytes(path).value_or("");
}

} // namespace testing_support
