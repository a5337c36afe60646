#include "orient/orient_log.h"

#include "common/program_contract.h"
#include "common/settings_location.h"

namespace orient {

void OrientLog::Open(platform::ProfilePort& profile, const std::string& settingsPath) {
    m_path.clear();
    if (settingsPath.empty() ||
        profile.GetInt(contract::settings_file::kDiagnosticsSection,
                       contract::settings_file::kLogFileKey, 0, settingsPath) == 0) {
        return;
    }
    m_path = common::PathInFolder(common::FolderOf(settingsPath, m_files),
                                  contract::log_file::kOrient, m_files);
}

void OrientLog::Write(std::string_view line) {
    if (m_path.empty()) {
        return;
    }
    const auto size = m_files.FileSize(m_path);
    if (size && *size >= kMaxFileBytes) {
        m_files.RenameFile(m_path, m_path + std::string(contract::log_file::kRotatedSuffix));
    }
    std::string text(1, '[');
    text += std::to_string(m_clock.TickCount());
    text += " ms] ";
    text += line;
    text += "\r\n";
    m_files.AppendToFile(m_path, text);
}

} // namespace orient
