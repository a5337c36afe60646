#include "orient/orient_log.h"

#include "common/settings_location.h"
#include "driver/settings/diagnostics.h"

namespace orient {

namespace {
constexpr std::string_view kLogFileName = "Orient.log";
} // namespace

void OrientLog::Open(platform::ProfilePort& profile, const std::string& settingsPath) {
    m_path.clear();
    if (settingsPath.empty() ||
        profile.GetInt(driver::kDiagnosticsSection, driver::kLogFileKey, 0, settingsPath) == 0) {
        return;
    }
    m_path = common::PathInFolder(common::FolderOf(settingsPath, m_files), kLogFileName, m_files);
}

void OrientLog::Write(std::string_view line) {
    if (m_path.empty()) {
        return;
    }
    const auto size = m_files.FileSize(m_path);
    if (size && *size >= kMaxFileBytes) {
        m_files.RenameFile(m_path, m_path + ".old");
    }
    std::string text(1, '[');
    text += std::to_string(m_clock.TickCount());
    text += " ms] ";
    text += line;
    text += "\r\n";
    m_files.AppendToFile(m_path, text);
}

} // namespace orient
