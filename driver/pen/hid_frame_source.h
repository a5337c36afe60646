#pragma once

#include "driver/link/hid_device.h"
#include "driver/pen/frame_source.h"
#include "platform/clock_port.h"

#include <cstdint>

namespace driver {

// Frames from the board's HID input reports, read one report at a time.
class HidFrameSource final : public FrameSource {
public:
    // A read that fails returns at once; without a pause a gone device
    // would spin a core until the link is closed.
    static constexpr std::uint32_t kRetryPauseMs = 10;

    HidFrameSource(CHidDevice& device, platform::ClockPort& clock)
        : m_device(device), m_clock(clock) {}

    bool Begin() override { return true; }
    void End() override {}
    // Reads are synchronous: none is left under way between passes.
    void Leave() override {}
    Outcome Read(PenFrame& frame) override;
    // The start report, written through the write handle.
    bool Wake() override;
    void AbortRead() override { m_device.CancelReads(); }

private:
    CHidDevice& m_device;
    platform::ClockPort& m_clock;
    HidReport m_report{};
};

} // namespace driver
