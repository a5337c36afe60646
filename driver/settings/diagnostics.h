#pragma once

#include "platform/files_port.h"
#include "platform/profile_port.h"

#include <string>

namespace driver {

// The log file to write, or "" when none is asked for or its path would
// not fit.
std::string LogFilePath(platform::ProfilePort& profile, platform::FilesPort& files,
                        const std::string& settingsPath);

} // namespace driver
