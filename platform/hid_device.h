#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

// The board's HID interface as the reader thread uses it.
class HidDevice {
public:
    static constexpr std::size_t kReportSize = 21;

    virtual ~HidDevice() = default;

    // Blocks for one input report; its byte count, 0 on failure.
    virtual std::size_t ReadReport(std::span<std::uint8_t, kReportSize> report) = 0;
};

} // namespace platform
