#pragma once

#include "driver/state/dialog_timers.h"

#include <cstdint>

namespace driver {

// Messages other programs send to the driver's window, and the driver's own.
namespace user_message {
inline constexpr std::uint32_t kSaveKeyType = 0x446;
inline constexpr std::uint32_t kKeyError = 0x447;
inline constexpr std::uint32_t kResetBoardType = 0x449;
inline constexpr std::uint32_t kButtonSettingsChanged = 0x7E6;
// The reader's request to start a dialog timer (wParam id, lParam
// milliseconds): timers can only be started on the window's own thread.
inline constexpr std::uint32_t kStartTimerRequest = 0x8000 + 0x101;
// The reader thread's report that it gave up (lParam its exit code).
inline constexpr std::uint32_t kReaderEnded = 0x8000 + 0x102;
} // namespace user_message

// The companion whiteboard program's main window and its messages.
namespace companion {
inline constexpr const char* kMainClass = "TfrmReSent";
inline constexpr const char* kMainTitle = "EBoard";
inline constexpr std::uint32_t kNotice = 0x7F2;
inline constexpr std::uint32_t kButtonNotice = 0x7F4;
inline constexpr std::intptr_t kBoardGone = 0x119;
inline constexpr std::intptr_t kAnnounceModel = 0x911;
inline constexpr std::intptr_t kAnnounceDone = 0x922;
} // namespace companion

// The calibration program's window.
inline constexpr const char* kOrientationClass = "DUALPENORIENT";

} // namespace driver
