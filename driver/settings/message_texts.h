#pragma once

#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace driver {

// The driver's message-box texts from section "String" of Language.ini.
struct MessageTexts {
    std::string connectCap;   // caption of every message box
    std::string serRunning;   // second instance
    std::string getParamFail; // read, never shown
    std::string connect;      // read, never shown
    std::string lKeyError;    // left key fault
    std::string rKeyError;    // right key fault
};

inline constexpr std::string_view kMissingText = "GetError";

// executableFolder ends with its separator; a folder the path would not fit
// into gives kMissingText for every text.
MessageTexts LoadMessageTexts(platform::ProfilePort& profile, std::string_view executableFolder);

} // namespace driver
