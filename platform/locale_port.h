#pragma once

#include <cstdint>

namespace platform {

// The user's language settings.
class LocalePort {
public:
    // Windows language identifiers: the primary language in the low ten bits.
    static constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
    static constexpr std::uint16_t kPrimaryChinese = 0x04;

    virtual ~LocalePort() = default;

    // The language the user reads the system's menus and dialogs in.
    virtual std::uint16_t UserUiLanguage() = 0;
};

} // namespace platform
