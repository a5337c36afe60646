#pragma once

#include "platform/text_encoding.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace testing_support {

// utf8 as a UTF-16LE file with its byte-order mark.
inline std::string Utf16File(std::string_view utf8) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : platform::Utf8ToUtf16(std::string(utf8))) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The text of a UTF-16LE file after its byte-order mark, as UTF-8.
inline std::string Utf8OfUtf16File(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return platform::Utf16ToUtf8(units);
}

inline std::string Repeated(std::string_view text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

} // namespace testing_support
