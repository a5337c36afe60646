#pragma once

#include "platform/display_port.h"
#include "platform/files_port.h"

#include <string>
#include <string_view>
#include <vector>

namespace driver {

// What goes into a diagnostics folder besides the files copied into it.
struct DiagnosticsContents {
    std::string settingsPath; // the DualData.ini in use; the logs lie beside it
    std::string versions;     // text
    std::vector<platform::MonitorInfo> monitors;
    std::vector<std::string> traceLines;
};

struct DiagnosticsResult {
    std::string folder;                  // where they went
    int written = 0;                     // files that went there
    std::vector<std::string> notWritten; // each with why
};

inline constexpr std::string_view kDiagnosticsFolder = "Dravik diagnostics";

// Makes kDiagnosticsFolder in parent (which ends with its separator) and
// puts into it the driver's and the calibration program's logs, the
// settings file, and the versions, monitors and recent trace lines as text.
// Whatever fails is said and the rest is still written.
DiagnosticsResult SaveDiagnostics(platform::FilesPort& files, std::string_view parent,
                                  const DiagnosticsContents& contents);

} // namespace driver
