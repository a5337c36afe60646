#include "platform/win32/win32_locale.h"

#include <windows.h>

namespace platform {

std::uint16_t Win32Locale::UserUiLanguage() {
    return GetUserDefaultUILanguage();
}

} // namespace platform
