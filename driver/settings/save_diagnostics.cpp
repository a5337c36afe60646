#include "driver/settings/save_diagnostics.h"

#include "common/board_monitor_record.h"
#include "common/program_contract.h"
#include "common/settings_location.h"

#include <array>

namespace driver {

namespace {

constexpr std::string_view kVersionsFile = "versions.txt";
constexpr std::string_view kMonitorsFile = "monitors.txt";
constexpr std::string_view kTraceFile = "trace.txt";

bool WriteWhole(platform::FilesPort& files, const std::string& path, std::string_view text) {
    if (files.FileExists(path) && !files.RemoveFile(path)) {
        return false;
    }
    return files.AppendToFile(path, text);
}

std::string MonitorsText(const std::vector<platform::MonitorInfo>& monitors) {
    std::string text;
    for (const platform::MonitorInfo& monitor : monitors) {
        text += common::DescribeMonitor(monitor);
        if (monitor.primary) {
            text += " primary";
        }
        text += "\r\n";
    }
    return text;
}

std::string TraceText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        // Lines from the log carry their line end already.
        if (!line.ends_with('\n')) {
            text += "\r\n";
        }
    }
    return text;
}

} // namespace

DiagnosticsResult SaveDiagnostics(platform::FilesPort& files, std::string_view parent,
                                  const DiagnosticsContents& contents) {
    DiagnosticsResult result;
    if (parent.empty()) {
        result.notWritten.emplace_back("no folder to write into");
        return result;
    }
    const char separator = parent.back();
    std::string folder = common::PathInFolder(parent, kDiagnosticsFolder, files);
    if (folder.empty()) {
        result.notWritten.emplace_back(std::string(parent) + ": the path is too long");
        return result;
    }
    folder += separator;
    result.folder = folder;
    if (!files.MakeSureDirectoryPathExists(folder)) {
        result.notWritten.push_back(folder + ": cannot be made");
        return result;
    }
    const std::string settingsFolder = contents.settingsPath.empty()
                                           ? std::string()
                                           : common::FolderOf(contents.settingsPath, files);
    const std::array copied = {contract::log_file::kDriver, contract::log_file::kOrient,
                               contract::settings_file::kName};
    for (std::string_view name : copied) {
        const std::string from = common::PathInFolder(settingsFolder, name, files);
        const std::string to = common::PathInFolder(folder, name, files);
        // Whole paths: the technician who reads the box must know where to look.
        if (from.empty() || !files.FileExists(from)) {
            result.notWritten.push_back((from.empty() ? std::string(name) : from) + ": not found");
        } else if (to.empty() || !files.Copy(from, to, platform::IfTargetExists::Replace)) {
            result.notWritten.push_back((to.empty() ? std::string(name) : to) +
                                        ": cannot be written");
        } else {
            ++result.written;
        }
    }
    const std::array written = {
        std::pair{kVersionsFile, contents.versions},
        std::pair{kMonitorsFile, MonitorsText(contents.monitors)},
        std::pair{kTraceFile, TraceText(contents.traceLines)},
    };
    for (const auto& [name, text] : written) {
        const std::string to = common::PathInFolder(folder, name, files);
        if (to.empty() || !WriteWhole(files, to, text)) {
            result.notWritten.push_back((to.empty() ? std::string(name) : to) +
                                        ": cannot be written");
        } else {
            ++result.written;
        }
    }
    return result;
}

} // namespace driver
