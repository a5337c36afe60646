#pragma once

#include "common/program_contract.h"
#include "driver/state/message_texts.h"
#include "driver/state/tray_texts.h"
#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace driver {

// executableFolder ends with its separator; a folder the path would not fit
// into gives contract::language_file::kMissingText for every text.
MessageTexts LoadMessageTexts(platform::ProfilePort& profile, std::string_view executableFolder);

// The icon's texts from the same file. A language file of an older
// installation lacks them: each missing one reads as its English text.
TrayTexts LoadTrayTexts(platform::ProfilePort& profile, std::string_view executableFolder);

} // namespace driver
