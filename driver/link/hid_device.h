#pragma once

#include "driver/pen/hid_report.h"
#include "platform/hid_port.h"
#include "platform/trace_port.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace driver {

// The board's HID interface: a synchronous handle for reading input reports
// (reader thread) and one for writing output reports (dialog thread).
class CHidDevice {
public:
    // The reader can stall 200 ms after a button notice; at 1000 reports/s
    // the system's default ring of 32 reports would drop most of them.
    static constexpr std::uint32_t kInputBufferCount = 512;

    explicit CHidDevice(platform::HidPort& port, platform::TracePort* trace = nullptr)
        : m_port(port), m_trace(trace) {}

    // The first present interface carrying both IDs and the board's report
    // sizes; empty when none.
    std::string FindDevicePath(std::uint16_t vendorId, std::uint16_t productId);
    // Whether the interface the read handle was opened on is still present.
    bool OpenDevicePresent();
    platform::HidHandle OpenReadHandle(const std::string& path);
    platform::HidHandle OpenWriteHandle(const std::string& path);
    bool WriteReport(std::span<const std::uint8_t> report);
    // Blocks for one input report; its byte count, 0 on failure.
    std::size_t ReadReport(std::span<std::uint8_t, kHidReportSize> report);
    // Write handle first; each handle that is open, and none of them twice.
    void CloseHandles();
    // Ends a read blocked on the read handle without closing it.
    void CancelReads();

    platform::HidHandle ReadHandle() const { return m_read.load(); }
    platform::HidHandle WriteHandle() const { return m_write.load(); }

private:
    platform::HidPort& m_port;
    platform::TracePort* m_trace;
    // The read handle's interface; dialog thread only.
    std::string m_path;
    std::atomic<platform::HidHandle> m_read{platform::kNoHidHandle};
    std::atomic<platform::HidHandle> m_write{platform::kNoHidHandle};
};

} // namespace driver
