#include "platform/sim/sim_hid_port.h"

#include <algorithm>
#include <utility>

namespace platform {

SimHidPort::Device* SimHidPort::FindDevice(const std::string& path) {
    const auto it = std::find_if(m_devices.begin(), m_devices.end(),
                                 [&](const Device& d) { return d.present && d.path == path; });
    return it == m_devices.end() ? nullptr : &*it;
}

void SimHidPort::EnumerateInterfaces(const std::function<bool(const HidInterface&)>& visit) {
    std::vector<HidInterface> present;
    {
        std::lock_guard lock(m_mutex);
        ++m_enumerations;
        for (const Device& device : m_devices) {
            if (device.present) {
                present.push_back(
                    {device.path, device.ids, device.inputReportSize, device.outputReportSize});
            }
        }
    }
    // Unlocked: the visitor may open what it finds.
    for (const HidInterface& found : present) {
        if (visit(found)) {
            return;
        }
    }
}

bool SimHidPort::IsPresent(const std::string& path) {
    std::lock_guard lock(m_mutex);
    return FindDevice(path) != nullptr;
}

HidHandle SimHidPort::Open(const std::string& path, Access access) {
    std::lock_guard lock(m_mutex);
    const Device* device = FindDevice(path);
    if (device == nullptr ||
        (access == Access::Read ? device->failReadOpen : device->failWriteOpen)) {
        return kNoHidHandle;
    }
    const HidHandle handle = m_nextHandle;
    m_nextHandle += 4;
    Handle& opened = m_handles[handle];
    opened.path = path;
    opened.access = access;
    m_opens.push_back({path, access, handle, m_clock.TickCount()});
    return handle;
}

HidHandle SimHidPort::OpenRead(const std::string& path) {
    return Open(path, Access::Read);
}

HidHandle SimHidPort::OpenWrite(const std::string& path) {
    return Open(path, Access::Write);
}

std::size_t SimHidPort::Read(HidHandle handle, std::span<std::uint8_t> report) {
    std::unique_lock lock(m_mutex);
    const auto it = m_handles.find(handle);
    if (it == m_handles.end() || it->second.access != Access::Read) {
        return 0;
    }
    Handle& reader = it->second;
    const auto usable = [&] {
        return reader.open && FindDevice(reader.path) != nullptr;
    };
    const std::uint64_t cancels = reader.cancels;
    ++m_blockedReads;
    m_changed.wait(
        lock, [&] { return !usable() || reader.cancels != cancels || !reader.reports.empty(); });
    --m_blockedReads;
    if (!usable() || reader.cancels != cancels) {
        return 0;
    }
    const std::vector<std::uint8_t> next = std::move(reader.reports.front());
    reader.reports.pop_front();
    const std::size_t count = std::min(next.size(), report.size());
    std::copy_n(next.begin(), count, report.begin());
    return count;
}

bool SimHidPort::Write(HidHandle handle, std::span<const std::uint8_t> report) {
    std::lock_guard lock(m_mutex);
    const auto it = m_handles.find(handle);
    if (it == m_handles.end() || !it->second.open || it->second.access != Access::Write ||
        FindDevice(it->second.path) == nullptr) {
        return false;
    }
    m_writes.push_back({it->second.path, m_clock.TickCount(), {report.begin(), report.end()}});
    return true;
}

void SimHidPort::CancelReads(HidHandle handle) {
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_handles.find(handle);
        if (it == m_handles.end() || !it->second.open || std::exchange(m_missNextCancel, false)) {
            return;
        }
        ++it->second.cancels;
    }
    m_changed.notify_all();
}

void SimHidPort::Close(HidHandle handle) {
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_handles.find(handle);
        if (it == m_handles.end() || !it->second.open) {
            return;
        }
        // Kept, closed, so a late read on the old value fails instead of
        // reaching a handle opened since.
        it->second.open = false;
        it->second.reports.clear();
        m_closes.push_back(handle);
    }
    m_changed.notify_all();
}

bool SimHidPort::SetInputBufferCount(HidHandle handle, std::uint32_t count) {
    std::lock_guard lock(m_mutex);
    const auto it = m_handles.find(handle);
    const bool accepted = it != m_handles.end() && it->second.open && count >= kMinInputBuffers &&
                          count <= kMaxInputBuffers;
    m_bufferRequests.push_back({handle, count, accepted});
    if (accepted) {
        Handle& target = it->second;
        target.inputBuffers = count;
        while (target.reports.size() > count) {
            target.reports.pop_front();
        }
    }
    return accepted;
}

void SimHidPort::AddDevice(std::string path, std::uint16_t vendorId, std::uint16_t productId,
                           std::uint16_t inputReportSize, std::uint16_t outputReportSize) {
    std::lock_guard lock(m_mutex);
    Device& added = m_devices.emplace_back();
    added.path = std::move(path);
    added.ids = HidIds{vendorId, productId};
    added.inputReportSize = inputReportSize;
    added.outputReportSize = outputReportSize;
}

void SimHidPort::AddUnreadableDevice(std::string path) {
    std::lock_guard lock(m_mutex);
    m_devices.emplace_back().path = std::move(path);
}

void SimHidPort::RemoveDevice(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        if (Device* device = FindDevice(path)) {
            device->present = false;
        }
    }
    m_changed.notify_all();
}

void SimHidPort::FailOpens(const std::string& path, Access access, bool fail) {
    std::lock_guard lock(m_mutex);
    if (Device* device = FindDevice(path)) {
        (access == Access::Read ? device->failReadOpen : device->failWriteOpen) = fail;
    }
}

void SimHidPort::Feed(const std::string& path, std::span<const std::uint8_t> report) {
    {
        std::lock_guard lock(m_mutex);
        for (auto& [handle, reader] : m_handles) {
            if (reader.open && reader.access == Access::Read && reader.path == path) {
                reader.reports.emplace_back(report.begin(), report.end());
                if (reader.reports.size() > reader.inputBuffers) {
                    reader.reports.pop_front();
                }
            }
        }
    }
    m_changed.notify_all();
}

std::vector<SimHidPort::WriteRecord> SimHidPort::Writes() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

std::vector<SimHidPort::OpenRecord> SimHidPort::Opens() const {
    std::lock_guard lock(m_mutex);
    return m_opens;
}

std::vector<HidHandle> SimHidPort::Closes() const {
    std::lock_guard lock(m_mutex);
    return m_closes;
}

std::vector<SimHidPort::BufferRequest> SimHidPort::BufferRequests() const {
    std::lock_guard lock(m_mutex);
    return m_bufferRequests;
}

int SimHidPort::OpenHandleCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_handles.begin(), m_handles.end(),
                                          [](const auto& entry) { return entry.second.open; }));
}

std::size_t SimHidPort::QueuedReports(HidHandle handle) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_handles.find(handle);
    return it == m_handles.end() ? 0 : it->second.reports.size();
}

int SimHidPort::BlockedReads() const {
    std::lock_guard lock(m_mutex);
    return m_blockedReads;
}

} // namespace platform
