#pragma once

#include "platform/files_port.h"
#include "platform/profile_port.h"

#include <string>

namespace driver {

// Section "DIAGNOSTICS" of DualData.ini: "LOG_FILE" = 1 keeps a log of why
// things failed in "Dravik.log" beside the settings file. Off by default.
inline constexpr const char* kDiagnosticsSection = "DIAGNOSTICS";
inline constexpr const char* kLogFileKey = "LOG_FILE";
inline constexpr const char* kLogFileName = "Dravik.log";

// The log file to write, or "" when none is asked for or its path would
// not fit.
std::string LogFilePath(platform::ProfilePort& profile, platform::FilesPort& files,
                        const std::string& settingsPath);

} // namespace driver
