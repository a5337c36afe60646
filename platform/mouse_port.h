#pragma once

#include <cstdint>

namespace platform {

// mouse_event flag values, as the input system defines them.
namespace mouse_flags {
inline constexpr std::uint32_t kMove = 0x0001;
inline constexpr std::uint32_t kLeftDown = 0x0002;
inline constexpr std::uint32_t kLeftUp = 0x0004;
inline constexpr std::uint32_t kRightDown = 0x0008;
inline constexpr std::uint32_t kRightUp = 0x0010;
inline constexpr std::uint32_t kVirtualDesk = 0x4000;
inline constexpr std::uint32_t kAbsolute = 0x8000;
} // namespace mouse_flags

// Mouse input. The monitors' sizes come from the display port.
class MousePort {
public:
    virtual ~MousePort() = default;

    // dx and dy are in the absolute range 0..65535 when kAbsolute is set:
    // over the primary monitor, or over the whole desktop with kVirtualDesk.
    virtual void MouseEvent(std::uint32_t flags, std::int32_t dx, std::int32_t dy) = 0;
    // Desktop coordinates.
    virtual void SetCursorPos(int x, int y) = 0;
};

} // namespace platform
