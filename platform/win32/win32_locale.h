#pragma once

#include "platform/locale_port.h"

namespace platform {

class Win32Locale final : public LocalePort {
public:
    std::uint16_t UserUiLanguage() override;
};

} // namespace platform
