#include "driver/link/hid_link.h"

#include "driver/state/driver_ids.h"

#include <algorithm>
#include <cctype>

namespace driver {

std::string CHidDevice::FindDevicePath(std::uint16_t vendorId, std::uint16_t productId) {
    const platform::HidIds wanted{vendorId, productId};
    std::string found;
    m_port.EnumerateInterfaces([&](const platform::HidInterface& candidate) {
        if (candidate.ids != wanted) {
            return false;
        }
        found = candidate.path;
        return true;
    });
    return found;
}

platform::HidHandle CHidDevice::OpenReadHandle(const std::string& path) {
    const platform::HidHandle handle = m_port.OpenRead(path);
    if (handle != platform::kNoHidHandle) {
        m_port.SetInputBufferCount(handle, kInputBufferCount);
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

std::size_t CHidDevice::ReadReport(std::span<std::uint8_t, kReportSize> report) {
    const platform::HidHandle handle = m_read.load();
    return handle == platform::kNoHidHandle ? 0 : m_port.Read(handle, report);
}

void CHidDevice::CancelReads() {
    m_port.CancelReads(m_read.load());
}

bool CHidDevice::CloseHandles() {
    for (std::atomic<platform::HidHandle>* slot : {&m_write, &m_read}) {
        const platform::HidHandle handle = slot->exchange(platform::kNoHidHandle);
        if (handle != platform::kNoHidHandle) {
            m_port.Close(handle);
        }
    }
    return true;
}

bool HidLink::OpenHidLink() {
    DriverState& state = m_parts.state;
    CHidDevice& device = m_parts.device;
    m_parts.loadCalibration();
    const std::string path = device.FindDevicePath(kVendorId, kProductId);
    if (device.ReadHandle() == platform::kNoHidHandle) {
        device.OpenReadHandle(path);
    }
    if (device.WriteHandle() == platform::kNoHidHandle) {
        device.OpenWriteHandle(path);
    }
    if (device.ReadHandle() == platform::kNoHidHandle ||
        device.WriteHandle() == platform::kNoHidHandle) {
        return false;
    }
    state.announcePending = 1;
    m_parts.clock.Sleep(kStartReportDelayMs);
    device.WriteReport(hidStartReport);
    // A running serial reader is kept: it switches to HID reads by hidMode.
    if (state.linkOpen == 0) {
        m_parts.reader.CreateSuspended();
    }
    if (!m_parts.reader.Exists()) {
        return false;
    }
    state.linkOpen = 1;
    state.hidMode = 1;
    m_parts.reader.Resume();
    m_parts.windows.SetTimer(m_dialog, timer::kHidKeepAlive, kKeepAliveMs);
    return true;
}

void HidLink::HidLinkGone() {
    CloseHidLink();
    m_parts.state.announcePending = 1;
    m_parts.state.hidMode = 0;
}

void HidLink::SerialLinkGone() {
    DriverState& state = m_parts.state;
    state.hidMode = 0;
    m_parts.serial.CloseSerialPort();
    PostBoardGoneIfIdentified();
    state.announcePending = 1;
    state.dualCapable = 0;
}

void HidLink::PostBoardGoneIfIdentified() {
    if (m_parts.state.boardIdentified.exchange(0) == 0) {
        return;
    }
    m_parts.windows.PostMessage(
        m_parts.windows.FindWindow(companion::kMainClass, companion::kMainTitle),
        companion::kNotice, 0, companion::kBoardGone);
}

void HidLink::CloseHidLink() {
    PostBoardGoneIfIdentified();
    m_parts.state.linkOpen = 0;
    m_parts.windows.KillTimer(m_dialog, timer::kHidKeepAlive);
    // The read handle is closed only once the reader has left its loop: a
    // handle value closed under a starting read could be given to another
    // object meanwhile. Cancelling again catches a read that began late.
    for (int round = 0; round < kReaderStopRounds; ++round) {
        m_parts.device.CancelReads();
        if (m_parts.reader.WaitForEnd(kReaderStopWaitMs)) {
            break;
        }
    }
    m_parts.device.CloseHandles();
}

bool HidLink::IsBoardHidInterface(std::string_view interfaceName) {
    // What follows the 8-character prefix "\\?\HID#".
    constexpr std::size_t kOffset = 8;
    constexpr std::string_view kMatch = "VID_1314&PID_1001";
    if (interfaceName.size() < kOffset + kMatch.size()) {
        return false;
    }
    const std::string_view part = interfaceName.substr(kOffset, kMatch.size());
    return std::equal(part.begin(), part.end(), kMatch.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
    });
}

void HidLink::RegisterInterfaceNotifications(bool isWow64) {
    // A failed registration only means arrivals and removals go unnoticed.
    m_parts.windows.RegisterInterfaceNotification(m_dialog,
                                                  isWow64 ? kSerialClass64 : kSerialClass32);
    m_parts.windows.RegisterInterfaceNotification(m_dialog, kHidClass);
}

void HidLink::KeepAliveTick() {
    if (m_parts.state.hidSilentTicks.fetch_add(1) + 1 >= 2) {
        m_parts.device.WriteReport(hidStartReport);
    }
}

void HidLink::OnDeviceChange(platform::WParam event, platform::LParam record) {
    const auto broadcast = m_parts.windows.DecodeDeviceBroadcast(event, record);
    if (!broadcast || broadcast->deviceType != platform::dbt::kDevTypDeviceInterface) {
        return;
    }
    DriverState& state = m_parts.state;
    const bool board = IsBoardHidInterface(broadcast->interfaceName);
    if (broadcast->eventCode == platform::dbt::kDeviceArrival) {
        if (board || state.hidMode == 0 || state.linkOpen == 0) {
            state.button1Held = 0;
            m_parts.windows.SetTimer(m_dialog, timer::kConnect, kConnectMs);
        }
    } else if (broadcast->eventCode == platform::dbt::kDeviceRemoveComplete) {
        if (state.hidMode != 0) {
            if (board) {
                HidLinkGone();
            }
        } else if (m_parts.serial.IsSerialInterfaceLinked() == 0) {
            SerialLinkGone();
        }
    }
}

} // namespace driver
