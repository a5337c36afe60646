#pragma once

#include "driver/state/message_texts.h"
#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace driver {

inline constexpr std::string_view kMissingText = "GetError";

// executableFolder ends with its separator; a folder the path would not fit
// into gives kMissingText for every text.
MessageTexts LoadMessageTexts(platform::ProfilePort& profile, std::string_view executableFolder);

} // namespace driver
