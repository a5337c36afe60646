#include "platform/win32/win32_display.h"

#include "platform/win32/win32_text.h"

#include <windows.h>

namespace platform {

namespace {

// The first monitor on the output; an output may have none attached.
std::string MonitorInterfacePath(const wchar_t* outputName) {
    DISPLAY_DEVICEW device{};
    device.cb = sizeof device;
    if (EnumDisplayDevicesW(outputName, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME) == FALSE) {
        return {};
    }
    // The system fills the array; a name as long as the array is cut, and
    // a cut ID would match nothing later.
    const std::size_t length = wcsnlen(device.DeviceID, std::size(device.DeviceID));
    if (length == std::size(device.DeviceID)) {
        return {};
    }
    return Narrow(std::wstring(device.DeviceID, length));
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info) == FALSE) {
        return TRUE;
    }
    const std::size_t nameLength = wcsnlen(info.szDevice, std::size(info.szDevice));
    const std::wstring name(info.szDevice, nameLength);
    auto& monitors = *reinterpret_cast<std::vector<MonitorInfo>*>(context);
    monitors.push_back(MonitorInfo{DesktopRect{info.rcMonitor.left, info.rcMonitor.top,
                                               info.rcMonitor.right, info.rcMonitor.bottom},
                                   (info.dwFlags & MONITORINFOF_PRIMARY) != 0, Narrow(name),
                                   MonitorInterfacePath(name.c_str())});
    return TRUE;
}

} // namespace

std::vector<MonitorInfo> Win32Display::Monitors() {
    std::vector<MonitorInfo> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

} // namespace platform
