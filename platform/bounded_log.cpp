#include "platform/bounded_log.h"

#include "common/program_contract.h"

namespace platform {

std::string BoundedLog::Stamped(std::uint32_t tick, std::string_view text) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely on chains of +.
    std::string line = "[";
    line += std::to_string(tick);
    line += " ms] ";
    line += text;
    line += "\r\n";
    return line;
}

void BoundedLog::Append(std::string_view stampedLine) {
    if (m_path.empty()) {
        return;
    }
    const std::uint64_t size = m_files.FileSize(m_path).value_or(0);
    if (size + stampedLine.size() > m_maxFileBytes) {
        m_files.RenameFile(m_path, m_path + std::string(contract::log_file::kRotatedSuffix));
    }
    m_files.AppendToFile(m_path, stampedLine);
}

} // namespace platform
