#pragma once

#include "common/board_monitor_record.h"
#include "platform/display_port.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orient {

// The monitor a technician names on the command line: "/monitor N" for
// \\.\DISPLAYN, "/monitor primary".
struct MonitorRequest {
    enum class Kind : std::uint8_t { None, Number, Primary, Unreadable };
    Kind kind = Kind::None;
    int number = 0;
    std::string text; // as given, for the log
};

MonitorRequest ParseMonitorRequest(const std::vector<std::string>& arguments);

// The requested monitor's index in monitors; none when no monitor answers.
std::optional<std::size_t> RequestedMonitor(const std::vector<platform::MonitorInfo>& monitors,
                                            const MonitorRequest& request);

// The order in which the prompt visits the monitors: first the one the
// driver maps the board onto now (the stored choice, else the primary),
// then the others in the system's order.
std::vector<std::size_t> PromptOrder(const std::vector<platform::MonitorInfo>& monitors,
                                     const common::StoredMonitor& stored);

} // namespace orient
