#pragma once

#include "platform/profile_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// ProfilePort::ReadText over a file's bytes; nullopt for a missing file.
ProfileText ReadTextOfFile(const std::optional<std::string>& file, std::string_view section,
                           std::string_view key, TextEncoding encoding, std::size_t capacity);

} // namespace platform
