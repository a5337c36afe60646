#include "driver/pen/hid_report.h"

#include <algorithm>

namespace driver {

PenFrame FrameFromHidReport(std::span<const std::uint8_t, kHidReportSize> report) {
    PenFrame frame{};
    std::copy_n(report.begin() + 2, frame.size(), frame.begin());
    return frame;
}

} // namespace driver
