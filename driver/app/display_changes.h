#pragma once

#include "platform/device_notification_port.h"
#include "platform/window_messages.h"

#include <cstdint>

namespace driver {

// The messages after which the monitors may lie elsewhere: a mode or
// layout change, another scaling, the taskbar moved, a monitor plugged in
// or out.
constexpr bool IsDisplayChange(std::uint32_t message, std::uintptr_t wParam) {
    switch (message) {
    case platform::wm::kDisplayChange:
    case platform::wm::kDpiChanged:
        return true;
    case platform::wm::kSettingChange:
        return wParam == platform::spi::kSetWorkArea;
    case platform::wm::kDeviceChange:
        return wParam == platform::dbt::kDevNodesChanged;
    default:
        return false;
    }
}

} // namespace driver
