#include "platform/code_page_936.h"

#include <windows.h>

namespace platform {

std::optional<std::u16string> DecodeCodePage936(std::string_view bytes) {
    constexpr UINT kChineseCodePage = 936;
    if (bytes.empty()) {
        return std::u16string();
    }
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(kChineseCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kChineseCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                        length);
    return std::u16string(wide.begin(), wide.end());
}

} // namespace platform
