#pragma once

#include "platform/canvas.h"

#include <cstdint>

namespace platform {

// Window message, style and command values as the window system defines
// them; the driver exchanges these numbers with other programs.
namespace wm {
inline constexpr std::uint32_t kNull = 0x0000;
inline constexpr std::uint32_t kCreate = 0x0001;
inline constexpr std::uint32_t kDestroy = 0x0002;
inline constexpr std::uint32_t kPaint = 0x000F;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kSettingChange = 0x001A;
inline constexpr std::uint32_t kQueryDragIcon = 0x0037;
inline constexpr std::uint32_t kDisplayChange = 0x007E;
inline constexpr std::uint32_t kIconEraseBkgnd = 0x0027;
inline constexpr std::uint32_t kKeyDown = 0x0100;
inline constexpr std::uint32_t kInitDialog = 0x0110;
inline constexpr std::uint32_t kCommand = 0x0111;
inline constexpr std::uint32_t kTimer = 0x0113;
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kDeviceChange = 0x0219;
inline constexpr std::uint32_t kDpiChanged = 0x02E0;
inline constexpr std::uint32_t kUser = 0x0400;
// RegisterWindowMessage hands out identifiers from this range.
inline constexpr std::uint32_t kFirstRegistered = 0xC000;
} // namespace wm

// The wParam of wm::kSettingChange when the work area changed.
namespace spi {
inline constexpr std::uintptr_t kSetWorkArea = 0x002F;
} // namespace spi

namespace ws {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kTabStop = 0x00010000;
// The same bit means "first of a group" on a control and "minimise box" on a
// top-level window.
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kDsModalFrame = 0x0080;
inline constexpr std::uint32_t kDsSetFont = 0x0040;
inline constexpr std::uint32_t kDsFixedSys = 0x0008;
inline constexpr std::uint32_t kDsShellFont = kDsSetFont | kDsFixedSys;
inline constexpr std::uint32_t kBsDefPushButton = 0x0001;
inline constexpr std::uint32_t kBsPushButton = 0x0000;
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;
inline constexpr std::uint32_t kBsGroupBox = 0x0007;
inline constexpr std::uint32_t kBsAutoRadioButton = 0x0009;
inline constexpr std::uint32_t kSsRight = 0x0002;
inline constexpr std::uint32_t kCbsDropDownList = 0x0003;
} // namespace ws

namespace ws_ex {
inline constexpr std::uint32_t kTopmost = 0x00000008;
inline constexpr std::uint32_t kToolWindow = 0x00000080;
inline constexpr std::uint32_t kAppWindow = 0x00040000;
} // namespace ws_ex

namespace ilc {
inline constexpr std::uint32_t kMask = 0x0001;
inline constexpr std::uint32_t kColor24 = 0x0018;
} // namespace ilc

namespace vk {
inline constexpr std::uint32_t kReturn = 0x0D;
inline constexpr std::uint32_t kEscape = 0x1B;
} // namespace vk

// A mouse message's lParam: the client x in the low word, y in the high
// word, both signed.
inline constexpr Point PointFromLParam(std::intptr_t lParam) {
    return {static_cast<std::int16_t>(lParam & 0xFFFF),
            static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)};
}
inline constexpr std::intptr_t LParamFromPoint(Point point) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(point.y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(point.x & 0xFFFF));
}

namespace sw {
inline constexpr int kHide = 0;
inline constexpr int kShow = 5;
} // namespace sw

namespace id {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
} // namespace id

namespace mb {
inline constexpr std::uint32_t kOk = 0x0000;
inline constexpr std::uint32_t kYesNo = 0x0004;
inline constexpr std::uint32_t kIconQuestion = 0x0020;
inline constexpr std::uint32_t kIconWarning = 0x0030;
inline constexpr std::uint32_t kIconInformation = 0x0040;
inline constexpr std::uint32_t kTopmost = 0x40000;
} // namespace mb

} // namespace platform
