#include "common/board_monitor_record.h"

#include "common/program_contract.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

namespace common {

namespace {

namespace file = contract::settings_file;

// Far beyond any desktop; keeps widths and offsets inside int.
constexpr int kCoordinateLimit = 1 << 24;

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole decimal number within the limit, nothing else.
std::optional<int> Coordinate(std::string_view text) {
    text = Trimmed(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        value <= -kCoordinateLimit || value >= kCoordinateLimit) {
        return std::nullopt;
    }
    return value;
}

StoredMonitor Nonsense(std::string problem) {
    StoredMonitor stored;
    stored.state = StoredMonitor::State::Nonsense;
    stored.problem = std::move(problem);
    return stored;
}

} // namespace

StoredMonitor ReadStoredMonitor(platform::ProfilePort& profile, const std::string& path) {
    const auto read = [&](std::string_view key) {
        return profile.GetString(file::kMonitorSection, key, "", path);
    };
    const std::string id = read(file::kMonitorIdKey);
    const std::string name = read(file::kMonitorNameKey);
    const std::string left = read(file::kMonitorLeftKey);
    const std::string top = read(file::kMonitorTopKey);
    const std::string right = read(file::kMonitorRightKey);
    const std::string bottom = read(file::kMonitorBottomKey);
    if (id.empty() && name.empty() && left.empty() && top.empty() && right.empty() &&
        bottom.empty()) {
        return {};
    }
    if (id.size() >= kMonitorIdCapacity || name.size() >= kMonitorNameCapacity) {
        return Nonsense("the stored monitor's name or ID is longer than any the system gives");
    }
    const auto l = Coordinate(left);
    const auto t = Coordinate(top);
    const auto r = Coordinate(right);
    const auto b = Coordinate(bottom);
    if (!l || !t || !r || !b) {
        return Nonsense("the stored monitor's rectangle is not four numbers");
    }
    const platform::DesktopRect bounds{*l, *t, *r, *b};
    if (bounds.IsEmpty()) {
        return Nonsense("the stored monitor's rectangle has no area");
    }
    StoredMonitor stored;
    stored.state = StoredMonitor::State::Chosen;
    stored.monitor = platform::MonitorInfo{bounds, false, name, id};
    return stored;
}

std::string DescribeMonitor(const platform::MonitorInfo& monitor) {
    const platform::DesktopRect& r = monitor.bounds;
    return monitor.deviceName + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + " id " + monitor.deviceId;
}

bool WriteStoredMonitor(platform::ProfilePort& profile, const std::string& path,
                        const platform::MonitorInfo& monitor) {
    const auto write = [&](std::string_view key, std::string_view value) {
        return profile.WriteString(file::kMonitorSection, key, value, path);
    };
    const platform::DesktopRect& r = monitor.bounds;
    return write(file::kMonitorIdKey, monitor.deviceId) &&
           write(file::kMonitorNameKey, monitor.deviceName) &&
           write(file::kMonitorLeftKey, std::to_string(r.left)) &&
           write(file::kMonitorTopKey, std::to_string(r.top)) &&
           write(file::kMonitorRightKey, std::to_string(r.right)) &&
           write(file::kMonitorBottomKey, std::to_string(r.bottom));
}

} // namespace common
