#include "orient/grid_writer.h"

#include "common/board_monitor_record.h"
#include "common/program_contract.h"
#include "common/settings_location.h"
#include "driver/pointer/load_calibration.h"
#include "orient/orient_ids.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace orient {
namespace {

constexpr std::string_view kCopySuffix = ".new";
// Another program that writes the file faster than this can copy it wins.
constexpr int kAttempts = 5;

struct Entry {
    std::string key;
    std::string value;
    double number = 0.0; // what the driver must read from value
};

std::vector<Entry> EntriesOf(const MeasuredGrid& grid) {
    const GridLayout& layout = grid.Layout();
    std::vector<Entry> entries;
    char key[32];
    for (int i = 0; i < layout.columns; ++i) {
        for (int j = 0; j < layout.rows; ++j) {
            const driver::GridPoint point = grid.At({i, j});
            std::snprintf(key, sizeof key, "dot(%d,%d).x", i, j);
            entries.push_back({key, FormatBoardValue(point.x), point.x});
            std::snprintf(key, sizeof key, "dot(%d,%d).y", i, j);
            entries.push_back({key, FormatBoardValue(point.y), point.y});
        }
    }
    entries.push_back({std::string(contract::settings_file::kColumnsKey),
                       std::to_string(layout.columns), 0.0 + layout.columns});
    entries.push_back({std::string(contract::settings_file::kRowsKey), std::to_string(layout.rows),
                       0.0 + layout.rows});
    return entries;
}

bool ReadsBack(platform::ProfilePort& profile, const std::string& path, const Entry& entry) {
    const std::string stored =
        profile.GetString(contract::settings_file::kCoordinateSection, entry.key, "", path);
    return stored == entry.value && driver::ParseBoardValue(stored) == entry.number;
}

bool MonitorReadsBack(platform::ProfilePort& profile, const std::string& path,
                      const platform::MonitorInfo& monitor) {
    const common::StoredMonitor stored = common::ReadStoredMonitor(profile, path);
    return stored.state == common::StoredMonitor::State::Chosen &&
           stored.monitor.bounds == monitor.bounds &&
           stored.monitor.deviceName == monitor.deviceName &&
           stored.monitor.deviceId == monitor.deviceId;
}

enum class Outcome { Written, Failed, Overtaken };

bool WriteAndReadBack(platform::ProfilePort& profile, const std::string& path,
                      const std::vector<Entry>& entries, const platform::MonitorInfo& monitor) {
    bool written = true;
    for (const Entry& entry : entries) {
        written = written && profile.WriteString(contract::settings_file::kCoordinateSection,
                                                 entry.key, entry.value, path);
    }
    written = written && common::WriteStoredMonitor(profile, path, monitor);
    for (const Entry& entry : entries) {
        written = written && ReadsBack(profile, path, entry);
    }
    return written && MonitorReadsBack(profile, path, monitor);
}

// The installed file may be writable where its folder takes no new file (the
// program folder, for an administrator whose token is not elevated): then the
// keys go into the file itself, and a failure puts its old bytes back.
Outcome WriteInPlace(platform::ProfilePort& profile, platform::FilesPort& files,
                     const std::string& settingsPath, const std::string& before,
                     const std::vector<Entry>& entries, const platform::MonitorInfo& monitor) {
    if (WriteAndReadBack(profile, settingsPath, entries, monitor)) {
        return Outcome::Written;
    }
    files.ReplaceContents(settingsPath, before);
    return Outcome::Failed;
}

Outcome WriteThroughCopy(platform::ProfilePort& profile, platform::FilesPort& files,
                         const std::string& settingsPath, const std::string& copy,
                         const std::vector<Entry>& entries, const platform::MonitorInfo& monitor) {
    // A copy left by a run that stopped half-way must not lend its keys.
    files.RemoveFile(copy);
    const bool existed = files.FileExists(settingsPath);
    const std::optional<std::string> before =
        existed ? files.ReadContents(settingsPath) : std::nullopt;
    if (existed && !before) {
        return Outcome::Failed;
    }
    if (existed && !files.Copy(settingsPath, copy, platform::IfTargetExists::Replace)) {
        files.RemoveFile(copy);
        return WriteInPlace(profile, files, settingsPath, *before, entries, monitor);
    }
    if (!WriteAndReadBack(profile, copy, entries, monitor)) {
        files.RemoveFile(copy);
        return Outcome::Failed;
    }
    // The driver and the settings dialog write this file too: the rename
    // would drop whatever they wrote since the copy was taken.
    const bool exists = files.FileExists(settingsPath);
    if (exists != existed || (exists && files.ReadContents(settingsPath) != before)) {
        files.RemoveFile(copy);
        return Outcome::Overtaken;
    }
    if (!files.RenameFile(copy, settingsPath)) {
        files.RemoveFile(copy);
        return Outcome::Failed;
    }
    return Outcome::Written;
}

} // namespace

std::string FormatBoardValue(double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    // Shortest round trip in fixed notation: the driver's reading takes no
    // exponent for granted, and a board value is at most five digits.
    std::array<char, 400> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{}) {
        return {};
    }
    return std::string(text.data(), end);
}

bool WriteCalibrationGrid(platform::ProfilePort& profile, platform::FilesPort& files,
                          const std::string& settingsPath, const MeasuredGrid& grid,
                          const platform::MonitorInfo& monitor) {
    if (settingsPath.empty() || !grid.Complete() || monitor.bounds.IsEmpty() ||
        files.PathLength(settingsPath) + kCopySuffix.size() > common::kMaxPathLength) {
        return false;
    }
    const std::vector<Entry> entries = EntriesOf(grid);
    for (const Entry& entry : entries) {
        if (entry.value.empty()) {
            return false;
        }
    }
    const std::string copy = settingsPath + std::string(kCopySuffix);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        switch (WriteThroughCopy(profile, files, settingsPath, copy, entries, monitor)) {
        case Outcome::Written:
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::Overtaken:
            break;
        }
    }
    return false;
}

} // namespace orient
