#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The Windows private-profile rules over the text of an INI file. Pure
// functions: no I/O, any byte sequence is valid input.
namespace platform::ini {

// Space, tab, \v, \f and ^Z; CR and LF end lines before they get here.
bool IsBlank(char c);
std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// The trimmed raw value (quotes kept) of the first key named key in the
// first section named section; nullopt when either is missing.
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// Drops one pair of matching ' or " around value.
std::string_view Unquote(std::string_view value);

// The number as the Windows integer read parses it (base 0: 0x, 0o, 0b
// prefixes), wrapping modulo 2^32; 0 when there are no digits.
std::uint32_t ParseProfileInt(std::string_view value);

// What GetPrivateProfileString returns; text is "" for a missing file.
std::string ReadString(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view defaultValue, std::size_t capacity);

// What GetPrivateProfileInt returns; text is "" for a missing file.
std::int32_t ReadInt(std::string_view text, std::string_view section, std::string_view key,
                     std::int32_t defaultValue);

// Whether key=value can be written into section without changing what any
// other key reads: names not blank, no line break or NUL anywhere (it would
// start a line of its own), no '=' in the key and no key that opens with
// '[' (the line could read as a section header).
bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value);

// The text after writing key=value: the first matching key gets the value in
// place, else the key joins the end of the first matching section, else a
// new section is appended. Every other byte is kept.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

} // namespace platform::ini
