#pragma once

#include "driver/link/reader_thread.h"
#include "driver/pen/hid_report.h"
#include "driver/state/driver_state.h"
#include "platform/clock_port.h"
#include "platform/hid_device.h"
#include "platform/hid_port.h"
#include "platform/window_port.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace driver {

// The board's HID interface: a synchronous handle for reading input reports
// (reader thread) and one for writing output reports (dialog thread).
class CHidDevice final : public platform::HidDevice {
public:
    // The reader can stall 200 ms after a button notice; at 1000 reports/s
    // the system's default ring of 32 reports would drop most of them.
    static constexpr std::uint32_t kInputBufferCount = 512;

    explicit CHidDevice(platform::HidPort& port) : m_port(port) {}

    // The first present interface carrying both IDs; empty when none.
    std::string FindDevicePath(std::uint16_t vendorId, std::uint16_t productId);
    platform::HidHandle OpenReadHandle(const std::string& path);
    platform::HidHandle OpenWriteHandle(const std::string& path);
    bool WriteReport(std::span<const std::uint8_t> report);
    std::size_t ReadReport(std::span<std::uint8_t, kReportSize> report) override;
    // Write handle first; a read blocked on the read handle returns 0.
    bool CloseHandles();
    // Ends a read blocked on the read handle without closing it.
    void CancelReads();

    platform::HidHandle ReadHandle() const { return m_read.load(); }
    platform::HidHandle WriteHandle() const { return m_write.load(); }

private:
    platform::HidPort& m_port;
    std::atomic<platform::HidHandle> m_read{platform::kNoHidHandle};
    std::atomic<platform::HidHandle> m_write{platform::kNoHidHandle};
};

// What the HID side needs of the serial link when a device goes away.
class SerialLinkControl {
public:
    virtual ~SerialLinkControl() = default;
    virtual int IsSerialInterfaceLinked() = 0;
    virtual void CloseSerialPort() = 0;
};

struct HidLinkParts {
    DriverState& state;
    CHidDevice& device;
    platform::WindowSystem& windows;
    platform::ClockPort& clock;
    ReaderThread& reader;
    SerialLinkControl& serial;
    std::function<void()> loadCalibration;
};

// The HID link and the device notifications, on the dialog thread.
class HidLink {
public:
    static constexpr std::uint16_t kVendorId = 0x1314;
    static constexpr std::uint16_t kProductId = 0x1001;
    static constexpr std::uint32_t kStartReportDelayMs = 50;
    static constexpr std::uint32_t kKeepAliveMs = 1000;
    static constexpr std::uint32_t kConnectMs = 2000;
    // Up to a few seconds for the reader to leave its loop on a close.
    static constexpr int kReaderStopRounds = 100;
    static constexpr std::uint32_t kReaderStopWaitMs = 50;
    static constexpr const char* kSerialClass32 = "6C292E54-943B-4F84-A45A-D36CCA47EA0B";
    static constexpr const char* kSerialClass64 = "4D36E978-E325-11CE-BFC1-08002BE10318";
    static constexpr const char* kHidClass = "4d1e55b2-f16f-11cf-88cb-001111000030";

    explicit HidLink(HidLinkParts parts) : m_parts(std::move(parts)) {}

    // The main dialog, once it exists: owner of the timers and notifications.
    void AttachDialog(platform::WindowHandle dialog) { m_dialog = dialog; }

    bool OpenHidLink();
    void CloseHidLink();
    static bool IsBoardHidInterface(std::string_view interfaceName);
    // Serial class of the Windows kind first, then HID interfaces.
    void RegisterInterfaceNotifications(bool isWow64);
    // Timer 111.
    void KeepAliveTick();
    void OnDeviceChange(platform::WParam event, platform::LParam record);

    // What follows when the board's link is gone: closed, the companion told,
    // the next identification announced again.
    void HidLinkGone();
    void SerialLinkGone();

private:
    void PostBoardGoneIfIdentified();

    HidLinkParts m_parts;
    platform::WindowHandle m_dialog = platform::kNoWindow;
};

} // namespace driver
