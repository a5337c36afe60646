#pragma once

#include <string>

namespace platform {

// The ports' texts are UTF-8; the wide Windows functions take UTF-16.
// Malformed input becomes U+FFFD rather than being dropped.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

} // namespace platform
