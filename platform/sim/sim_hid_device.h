#pragma once

#include "platform/hid_device.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace platform {

// A HID device fed by the test with input reports. Without a report a read
// fails at once (stepped mode), or blocks until one arrives or the device
// is closed (threaded mode).
class SimHidDevice : public HidDevice {
public:
    using Report = std::array<std::uint8_t, kReportSize>;

    std::size_t ReadReport(std::span<std::uint8_t, kReportSize> report) override;

    void Arrive(const Report& report);
    void SetThreaded(bool threaded);
    // Every read from now on fails, as after the device went away.
    void Close();
    int Reads() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Report> m_reports;
    bool m_threaded = false;
    bool m_closed = false;
    int m_reads = 0;
};

} // namespace platform
