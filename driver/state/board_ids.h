#pragma once

#include <cstdint>
#include <string>

namespace driver {

// A USB identity of the board.
struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The USB-to-serial bridge and the HID interface.
inline constexpr UsbIds kSerialBridgeIds{0x10C4, 0x1320};
inline constexpr UsbIds kHidBoardIds{0x1314, 0x1001};

// Four lower-case hexadecimal digits, as device and registry names spell IDs.
std::string Hex4(std::uint16_t value);

// "VID_10C4&PID_1320": how device-interface names carry the IDs (upper
// case; names are compared without regard to case).
std::string UsbIdText(UsbIds ids);

} // namespace driver
