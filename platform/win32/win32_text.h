#pragma once

#include "platform/text_encoding.h"

#include <string>
#include <string_view>

namespace platform {

// The port's UTF-8 texts and the wide API's UTF-16 (wchar_t is 16 bits on
// Windows).
inline std::wstring Wide(std::string_view utf8) {
    const std::u16string units = Utf8ToUtf16(std::string(utf8));
    return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(const std::wstring& wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

} // namespace platform
