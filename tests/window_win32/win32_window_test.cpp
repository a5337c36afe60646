// The window-system table against the real window functions (under Wine here).
// First: windows.h without the A/W macros that would rename the port's methods.
#include "platform/win32/win32_window_handles.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_system.h"
#include "tests/conformance/window_conformance.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace window_test {

struct Win32Backend {
    // The tick count moves in steps of the system timer's period.
    static constexpr std::uint32_t kTimerSlackMs = 20;

    platform::WindowSystem& Windows() { return windows; }
    platform::ClockPort& Clock() { return clock; }
    // A broadcast's record as the system lays it out: a header, then for an
    // interface or a port its name.
    LParam Record(std::uint32_t deviceType, const std::string& name) {
        const std::wstring wide = platform::Wide(name);
        const std::size_t offset = deviceType == DBT_DEVTYP_DEVICEINTERFACE
                                       ? offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)
                                       : offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
        const std::size_t size = offset + (wide.size() + 1) * sizeof(wchar_t);
        auto& bytes = records.emplace_back(std::make_unique<std::byte[]>(size));
        auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(bytes.get());
        header->dbch_size = static_cast<DWORD>(size);
        header->dbch_devicetype = deviceType;
        std::memcpy(bytes.get() + offset, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        return reinterpret_cast<LParam>(bytes.get());
    }

    platform::Win32WindowSystem windows;
    platform::Win32Clock clock;
    std::vector<std::unique_ptr<std::byte[]>> records;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowConformance, Win32Backend);

} // namespace window_test
