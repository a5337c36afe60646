#include "orient/monitor_choice.h"

#include "driver/pointer/board_monitor.h"

#include <algorithm>
#include <charconv>

namespace orient {

namespace {

bool SameWord(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

constexpr std::string_view kDisplayPrefix = "\\\\.\\DISPLAY";

} // namespace

MonitorRequest ParseMonitorRequest(const std::vector<std::string>& arguments) {
    MonitorRequest request;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (!SameWord(word, "/monitor") && !SameWord(word, "-monitor")) {
            continue;
        }
        const std::string value = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        request.text = word;
        request.text.append(" ").append(value);
        if (SameWord(value, "primary")) {
            request.kind = MonitorRequest::Kind::Primary;
            continue;
        }
        int number = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        const bool whole =
            !value.empty() && error == std::errc{} && end == value.data() + value.size();
        request.kind =
            whole && number > 0 ? MonitorRequest::Kind::Number : MonitorRequest::Kind::Unreadable;
        request.number = number;
    }
    return request;
}

std::optional<std::size_t> RequestedMonitor(const std::vector<platform::MonitorInfo>& monitors,
                                            const MonitorRequest& request) {
    const std::string name = std::string(kDisplayPrefix) + std::to_string(request.number);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const platform::MonitorInfo& monitor = monitors[i];
        if (monitor.bounds.IsEmpty()) {
            continue;
        }
        if ((request.kind == MonitorRequest::Kind::Primary && monitor.primary) ||
            (request.kind == MonitorRequest::Kind::Number && SameWord(monitor.deviceName, name))) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<std::size_t> PromptOrder(const std::vector<platform::MonitorInfo>& monitors,
                                     const common::StoredMonitor& stored) {
    const platform::DesktopRect first = driver::BindBoardMonitor(monitors, stored).screen.monitor;
    std::vector<std::size_t> usable;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (!monitors[i].bounds.IsEmpty()) {
            usable.push_back(i);
        }
    }
    const auto start =
        std::ranges::find_if(usable, [&](std::size_t i) { return monitors[i].bounds == first; });
    if (start != usable.end()) {
        std::rotate(usable.begin(), start, start + 1);
    }
    return usable;
}

} // namespace orient
