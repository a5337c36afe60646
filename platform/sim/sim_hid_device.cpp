#include "platform/sim/sim_hid_device.h"

#include <algorithm>

namespace platform {

std::size_t SimHidDevice::ReadReport(std::span<std::uint8_t, kReportSize> report) {
    std::unique_lock lock(m_mutex);
    ++m_reads;
    if (m_threaded) {
        m_arrived.wait(lock, [&] { return m_closed || !m_reports.empty(); });
    }
    if (m_closed || m_reports.empty()) {
        return 0;
    }
    std::copy(m_reports.front().begin(), m_reports.front().end(), report.begin());
    m_reports.pop_front();
    return kReportSize;
}

void SimHidDevice::Arrive(const Report& report) {
    {
        std::lock_guard lock(m_mutex);
        m_reports.push_back(report);
    }
    m_arrived.notify_all();
}

void SimHidDevice::SetThreaded(bool threaded) {
    std::lock_guard lock(m_mutex);
    m_threaded = threaded;
}

void SimHidDevice::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_arrived.notify_all();
}

int SimHidDevice::Reads() const {
    std::lock_guard lock(m_mutex);
    return m_reads;
}

} // namespace platform
