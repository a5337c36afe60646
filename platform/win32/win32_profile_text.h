#pragma once

#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace platform {

// ProfilePort::ReadText on Windows: the wide profile read for UTF-16 files,
// which honours their byte-order mark; for code page 936 the file's own
// bytes, as the byte read would hand them over converted through the
// system's code page on some systems, then code page 936.
ProfileText ReadWin32ProfileText(const std::wstring& path, std::string_view section,
                                 std::string_view key, TextEncoding encoding, std::size_t capacity);

} // namespace platform
