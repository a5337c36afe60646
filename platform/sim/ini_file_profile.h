#pragma once

#include "platform/profile_port.h"

#include <atomic>
#include <cstddef>

namespace platform {

// Profile port of native builds: reads the file on disk at every call and
// applies the Windows rules of platform::ini.
class IniFileProfile final : public ProfilePort {
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

    // Values read so far, from any file.
    std::size_t Reads() const { return m_reads.load(); }

private:
    std::atomic<std::size_t> m_reads{0};
};

} // namespace platform
