#include "driver/settings/diagnostics.h"

#include "common/settings_location.h"

namespace driver {

std::string LogFilePath(platform::ProfilePort& profile, platform::FilesPort& files,
                        const std::string& settingsPath) {
    if (settingsPath.empty() ||
        profile.GetInt(contract::settings_file::kDiagnosticsSection,
                       contract::settings_file::kLogFileKey, 0, settingsPath) == 0) {
        return {};
    }
    return common::PathInFolder(common::FolderOf(settingsPath, files), contract::log_file::kDriver);
}

} // namespace driver
