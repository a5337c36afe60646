#pragma once

#include "platform/profile_port.h"
#include "platform/trace_port.h"

#include <string>

namespace driver {

// Whether the settings file lets the driver show its notification-area
// icon: shown unless the key says 0; a value that is neither 0 nor 1 is
// traced and shows it.
bool TrayIconWanted(platform::ProfilePort& profile, platform::TracePort& trace,
                    const std::string& settingsPath);

} // namespace driver
