#pragma once

#include "platform/profile_port.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How both profile backends turn a value read from a file into display text.
namespace platform::profile_text {

// No value can hold a line break, so as the default of a read it marks a key
// the file lacks.
inline constexpr std::string_view kAbsent = "\n";

// A code page 936 character takes two bytes at most: the buffer, in bytes,
// that holds capacity - 1 characters and the terminating NUL.
constexpr std::size_t DoubleByteBufferSize(std::size_t capacity) {
    return capacity * 2;
}

// Code page 936 keeps a character in one byte, or in two: a lead byte
// 0x81..0xFE, then a trail byte 0x40..0xFE other than 0x7F. bytes without a
// lead byte at its end that lost its trail to the buffer (when wasCut);
// nullopt when a lead byte has no valid trail.
std::optional<std::string_view> WholeDoubleByteText(std::string_view bytes, bool wasCut);

// The first bytes of a file: a byte-order mark of any Unicode encoding, or
// the UTF-16LE one.
bool StartsWithByteOrderMark(std::string_view head);
bool StartsWithUtf16Mark(std::string_view head);

// A found text: UTF-8 of at most capacity - 1 UTF-16 units of text, never
// half of a surrogate pair, marked cut when units were left out.
ProfileText FoundText(std::u16string text, std::size_t capacity);

// The system's decoder of code page 936; nullopt for bytes it rejects.
using DoubleByteDecoder = std::optional<std::u16string> (*)(std::string_view bytes);

// ProfilePort::ReadText of a code page 936 file over its bytes (nullopt: no
// file), by the private-profile rules: the bytes as they are, whatever the
// system's code page, decoded by decode.
ProfileText ReadDoubleByteText(const std::optional<std::string>& file, std::string_view section,
                               std::string_view key, std::size_t capacity,
                               DoubleByteDecoder decode);

} // namespace platform::profile_text
