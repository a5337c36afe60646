#pragma once

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_registry.h"

#include <string>

namespace testing_support {

// The board's USB serial bridge as the registry of a 64-bit machine shows
// it: CurrentControlSet is ControlSet001, so the interface reads linked
// under both.
inline constexpr char kSerialPortNameKey[] =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320\\0001\\Device Parameters";
inline constexpr char kSerialInterface[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{4d36e978-e325-11ce-bfc1-08002be10318}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}";
inline constexpr char kSerialLinkedKey[] =
    "SYSTEM\\ControlSet001\\Control\\DeviceClasses\\{4d36e978-e325-11ce-bfc1-08002be10318}\\"
    "##?#USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}\\#\\Control";
inline constexpr char kSerialInterfaceName[] =
    "\\\\?\\USB#Vid_10c4&Pid_1320#0001#{4d36e978-e325-11ce-bfc1-08002be10318}";

inline void PlugInSerialBoard(platform::SimRegistry& registry, const std::string& port = "COM7") {
    registry.SetString(kSerialPortNameKey, "PortName", port);
    registry.SetDword(std::string(kSerialInterface) + "\\#\\Control", "Linked", 1);
    registry.SetDword(kSerialLinkedKey, "Linked", 1);
    registry.SetString(std::string(kSerialInterface) + "\\#", "SymbolicLink", "\\\\.\\" + port);
}

inline void UnplugSerialBoard(platform::SimRegistry& registry) {
    registry.SetDword(std::string(kSerialInterface) + "\\#\\Control", "Linked", 0);
    registry.SetDword(kSerialLinkedKey, "Linked", 0);
}

// The arrival or removal the system broadcasts for the bridge's interface.
inline void AnnounceSerialBoard(platform::SimDesktop& desktop, platform::WindowHandle driver,
                                std::uint32_t eventCode) {
    desktop.SendDeviceChange(driver, eventCode, platform::dbt::kDevTypDeviceInterface,
                             kSerialInterfaceName);
}

} // namespace testing_support
