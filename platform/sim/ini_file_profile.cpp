#include "platform/sim/ini_file_profile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/ini/ini_engine.h"
#include "platform/sim/sim_profile_text.h"

namespace platform {

namespace {

// nullopt when the file exists but cannot be read; "" when it is missing.
std::optional<std::string> ReadFileText(const std::string& path) {
    // An empty path is how callers say "no usable file": read as missing.
    if (path.empty()) {
        return std::string();
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return std::string();
    }
    if (error || status.type() != std::filesystem::file_type::regular) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::string IniFileProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue, const std::string& path,
                                      std::size_t capacity) {
    ++m_reads;
    const std::string text = ReadFileText(path).value_or(std::string());
    return ini::ReadString(text, section, key, defaultValue, capacity);
}

int IniFileProfile::GetInt(std::string_view section, std::string_view key, int defaultValue,
                           const std::string& path) {
    ++m_reads;
    const std::string text = ReadFileText(path).value_or(std::string());
    return ini::ReadInt(text, section, key, defaultValue);
}

bool IniFileProfile::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value, const std::string& path) {
    if (path.empty() || !ini::IsWritableEntry(section, key, value)) {
        return false;
    }
    const std::optional<std::string> text = ReadFileText(path);
    if (!text) {
        return false;
    }
    const std::string updated = ini::SetValue(*text, section, key, value);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(updated.data(), static_cast<std::streamsize>(updated.size()));
    file.close();
    return !file.fail();
}

ProfileText IniFileProfile::ReadText(std::string_view section, std::string_view key,
                                     const std::string& path, TextEncoding encoding,
                                     std::size_t capacity) {
    // An unreadable file reads as a missing one, as with the real functions.
    return ReadTextOfFile(ReadFileText(path), section, key, encoding, capacity);
}

} // namespace platform
