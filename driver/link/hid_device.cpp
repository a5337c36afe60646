#include "driver/link/hid_device.h"

#include <string>

namespace driver {

std::string CHidDevice::FindDevicePath(std::uint16_t vendorId, std::uint16_t productId) {
    const platform::HidIds wanted{vendorId, productId};
    std::string found;
    m_port.EnumerateInterfaces([&](const platform::HidInterface& candidate) {
        if (candidate.ids != wanted) {
            return false;
        }
        // Reads and writes of one report would fail on it forever.
        if (candidate.inputReportSize != kHidReportSize ||
            candidate.outputReportSize != kHidReportSize) {
            if (m_trace != nullptr) {
                m_trace->Failure("FindDevicePath", 0,
                                 "report sizes " + std::to_string(candidate.inputReportSize) + "/" +
                                     std::to_string(candidate.outputReportSize) + ", not " +
                                     std::to_string(kHidReportSize) + ": " + candidate.path);
            }
            return false;
        }
        found = candidate.path;
        return true;
    });
    return found;
}

bool CHidDevice::OpenDevicePresent() {
    return !m_path.empty() && m_port.IsPresent(m_path);
}

platform::HidHandle CHidDevice::OpenReadHandle(const std::string& path) {
    const platform::HidHandle handle = m_port.OpenRead(path);
    if (handle != platform::kNoHidHandle) {
        m_port.SetInputBufferCount(handle, kInputBufferCount);
        m_path = path;
    }
    m_read = handle;
    return handle;
}

platform::HidHandle CHidDevice::OpenWriteHandle(const std::string& path) {
    const platform::HidHandle handle = m_port.OpenWrite(path);
    m_write = handle;
    return handle;
}

bool CHidDevice::WriteReport(std::span<const std::uint8_t> report) {
    const platform::HidHandle handle = m_write.load();
    return handle != platform::kNoHidHandle && m_port.Write(handle, report);
}

std::size_t CHidDevice::ReadReport(std::span<std::uint8_t, kHidReportSize> report) {
    const platform::HidHandle handle = m_read.load();
    return handle == platform::kNoHidHandle ? 0 : m_port.Read(handle, report);
}

void CHidDevice::CancelReads() {
    m_port.CancelReads(m_read.load());
}

void CHidDevice::CloseHandles() {
    for (std::atomic<platform::HidHandle>* slot : {&m_write, &m_read}) {
        const platform::HidHandle handle = slot->exchange(platform::kNoHidHandle);
        if (handle != platform::kNoHidHandle) {
            m_port.Close(handle);
        }
    }
}

} // namespace driver
