#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Simplified Chinese bytes (code page 936) as UTF-16, decoded by the system
// whatever its own code page; nullopt for bytes that are no text of it.
std::optional<std::u16string> DecodeCodePage936(std::string_view bytes);

} // namespace platform
