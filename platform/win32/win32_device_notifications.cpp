// First: it brings windows.h without the A/W macros that would rename the
// port's methods.
#include "platform/win32/win32_window_handles.h"

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_system.h"

#include <dbt.h>
#include <rpc.h>

#include <cstddef>
#include <string>

namespace platform {

using win32::Hwnd;

bool Win32WindowSystem::RegisterInterfaceNotification(WindowHandle window,
                                                      std::string_view guidText) {
    const std::string text(guidText);
    GUID classGuid{};
    if (::UuidFromStringA(reinterpret_cast<RPC_CSTR>(const_cast<char*>(text.c_str())),
                          &classGuid) != RPC_S_OK) {
        return false;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = classGuid;
    const HDEVNOTIFY handle =
        ::RegisterDeviceNotificationW(Hwnd(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    m_deviceNotification = handle;
    return handle != nullptr;
}

std::optional<DeviceInterfaceEvent> Win32WindowSystem::DecodeDeviceBroadcast(WParam event,
                                                                             LParam record) {
    // Only these events carry a record; for the others lParam is no pointer.
    const bool carriesRecord = event >= DBT_DEVICEARRIVAL && event <= DBT_CUSTOMEVENT;
    if (record == 0 || !carriesRecord) {
        return std::nullopt;
    }
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
    DeviceInterfaceEvent decoded;
    decoded.eventCode = static_cast<std::uint32_t>(event);
    decoded.deviceType = header->dbch_devicetype;
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE && header->dbch_size > kNameOffset) {
        const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(record);
        const std::size_t capacity = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < capacity && device->dbcc_name[length] != L'\0') {
            ++length;
        }
        decoded.interfaceName = Narrow(std::wstring(device->dbcc_name, length));
    }
    return decoded;
}

} // namespace platform
