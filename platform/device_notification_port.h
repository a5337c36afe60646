#pragma once

#include "platform/window_handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What a device broadcast (WM_DEVICECHANGE) reports. interfaceName is set
// only for device-interface records.
struct DeviceInterfaceEvent {
    std::uint32_t eventCode = 0;
    std::uint32_t deviceType = 0;
    std::string interfaceName;
};

namespace dbt {
inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDevNodesChanged = 0x0007;
inline constexpr std::uint32_t kDevTypVolume = 2;
inline constexpr std::uint32_t kDevTypPort = 3;
inline constexpr std::uint32_t kDevTypDeviceInterface = 5;
} // namespace dbt

// Arrivals and removals of devices, announced to a window.
class DeviceNotificationPort {
public:
    virtual ~DeviceNotificationPort() = default;

    // Arrival and removal broadcasts of one device-interface class (GUID
    // text without braces) to the window; false when not registered.
    virtual bool RegisterInterfaceNotification(WindowHandle window, std::string_view guidText) = 0;
    // The record behind a WM_DEVICECHANGE; none for events without one.
    virtual std::optional<DeviceInterfaceEvent> DecodeDeviceBroadcast(WParam event,
                                                                      LParam record) = 0;
};

} // namespace platform
