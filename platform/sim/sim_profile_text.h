#pragma once

#include "platform/profile_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Code page 936 as the host's C library decodes it: the simulated machine
// reads Chinese files as a Windows of any code page does.
std::optional<std::u16string> DecodeCodePage936(std::string_view bytes);

// ProfilePort::ReadText over a file's bytes; nullopt for a missing file.
ProfileText ReadTextOfFile(const std::optional<std::string>& file, std::string_view section,
                           std::string_view key, TextEncoding encoding, std::size_t capacity);

} // namespace platform
