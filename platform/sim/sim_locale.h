#pragma once

#include "platform/locale_port.h"

#include <cstdint>

namespace platform {

// A user of simplified Chinese Windows until told otherwise.
class SimLocale final : public LocalePort {
public:
    static constexpr std::uint16_t kChineseSimplified = 0x0804;
    static constexpr std::uint16_t kEnglishUnitedStates = 0x0409;

    std::uint16_t UserUiLanguage() override { return m_uiLanguage; }
    void SetUserUiLanguage(std::uint16_t language) { m_uiLanguage = language; }

private:
    std::uint16_t m_uiLanguage = kChineseSimplified;
};

} // namespace platform
