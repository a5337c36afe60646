#pragma once

#include "common/program_contract.h"
#include "driver/state/message_texts.h"
#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace driver {

// executableFolder ends with its separator; a folder the path would not fit
// into gives contract::language_file::kMissingText for every text.
MessageTexts LoadMessageTexts(platform::ProfilePort& profile, std::string_view executableFolder);

} // namespace driver
