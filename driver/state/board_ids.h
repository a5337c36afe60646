#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace driver {

// A USB identity of the board.
struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The USB-to-serial bridge and the HID interface.
inline constexpr UsbIds kSerialBridgeIds{0x10C4, 0x1320};
inline constexpr UsbIds kHidBoardIds{0x1314, 0x1001};

// A device-interface class as the system names it in two places: the
// notification filter takes the bare GUID, registry key names the braced,
// lower-case one.
struct DeviceClass {
    const char* guid;
    const char* registryKey;
};

// The serial bridge's interface class differs between 32-bit and 64-bit
// Windows; the board's HID interface is found through notifications only.
inline constexpr DeviceClass kSerialClass32{"6C292E54-943B-4F84-A45A-D36CCA47EA0B",
                                            "{6c292e54-943b-4f84-a45a-d36cca47ea0b}"};
inline constexpr DeviceClass kSerialClass64{"4D36E978-E325-11CE-BFC1-08002BE10318",
                                            "{4d36e978-e325-11ce-bfc1-08002be10318}"};
inline constexpr const char* kHidClass = "4d1e55b2-f16f-11cf-88cb-001111000030";

// Four lower-case hexadecimal digits, as device and registry names spell IDs.
std::string Hex4(std::uint16_t value);

// "VID_10C4&PID_1320": how device-interface names carry the IDs (upper
// case; names are compared without regard to case).
std::string UsbIdText(UsbIds ids);

// Whether an interface name carries the IDs just after its 8-character
// prefix, "\\?\HID#" in notifications and "##?#USB#" in registry keys.
bool InterfaceNameCarriesIds(std::string_view interfaceName, UsbIds ids);

} // namespace driver
