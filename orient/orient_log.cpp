#include "orient/orient_log.h"

#include "common/settings_location.h"
#include "driver/settings/diagnostics.h"

namespace orient {

namespace {
constexpr std::string_view kLogFileName = "Orient.log";
} // namespace

void OrientLog::Open(platform::ProfilePort& profile, const std::string& settingsPath) {
    m_file.SetPath({});
    if (settingsPath.empty() ||
        profile.GetInt(driver::kDiagnosticsSection, driver::kLogFileKey, 0, settingsPath) == 0) {
        return;
    }
    m_file.SetPath(
        common::PathInFolder(common::FolderOf(settingsPath, m_files), kLogFileName, m_files));
}

void OrientLog::Write(std::string_view line) {
    if (!m_file.Path().empty()) {
        m_file.Append(platform::BoundedLog::Stamped(m_clock.TickCount(), line));
    }
}

} // namespace orient
