#pragma once

#include "platform/ini/ini_engine.h"
#include "platform/profile_port.h"
#include "platform/sim/sim_profile_text.h"

#include <map>
#include <string>
#include <string_view>

namespace testing_support {

// The native profile rules over files held in memory, for runs that read
// settings files millions of times (fuzzing). A path never set is a
// missing file.
class MemoryProfile final : public platform::ProfilePort {
public:
    void SetFile(const std::string& path, std::string text) { m_files[path] = std::move(text); }
    // The file's text; none for a missing file.
    const std::string* File(const std::string& path) const {
        const auto file = m_files.find(path);
        return file == m_files.end() ? nullptr : &file->second;
    }
    bool RemoveFile(const std::string& path) { return m_files.erase(path) != 0; }

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, const std::string& path,
                          std::size_t capacity = kDefaultCapacity) override {
        return platform::ini::ReadString(Text(path), section, key, defaultValue, capacity);
    }
    platform::ProfileText ReadText(std::string_view section, std::string_view key,
                                   const std::string& path, platform::TextEncoding encoding,
                                   std::size_t capacity = kDefaultCapacity) override {
        const std::string* file = File(path);
        return platform::ReadTextOfFile(file != nullptr ? std::optional(*file) : std::nullopt,
                                        section, key, encoding, capacity);
    }
    int GetInt(std::string_view section, std::string_view key, int defaultValue,
               const std::string& path) override {
        return platform::ini::ReadInt(Text(path), section, key, defaultValue);
    }
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override {
        if (path.empty() || !platform::ini::IsWritableEntry(section, key, value)) {
            return false;
        }
        m_files[path] = platform::ini::SetValue(Text(path), section, key, value);
        return true;
    }

private:
    std::string_view Text(const std::string& path) const {
        const auto file = m_files.find(path);
        return file == m_files.end() ? std::string_view() : std::string_view(file->second);
    }

    std::map<std::string, std::string> m_files;
};

} // namespace testing_support
