#pragma once

#include "driver/state/tray_texts.h"
#include "platform/profile_port.h"

#include <string_view>

namespace driver {

// The icon's texts from the language file beside the driver. A language
// file of an older installation lacks them: each missing one reads as its
// English text.
TrayTexts LoadTrayTexts(platform::ProfilePort& profile, std::string_view executableFolder);

} // namespace driver
