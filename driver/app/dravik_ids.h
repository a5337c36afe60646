#pragma once

#include <cstdint>

namespace driver {

inline constexpr int kDravikDialogId = 102;
inline constexpr int kAppIconId = 128;
inline constexpr int kStateEditId = 1000;

// The driver's single-instance mutex and the window other programs find.
inline constexpr const char* kInstanceMutexName = "ZEKDUALPENPRO";
inline constexpr const char* kDialogClass = "#32770";
inline constexpr const char* kDialogTitle = "QelELECDUALPRO";

namespace timer {
inline constexpr std::uintptr_t kHide = 103;
inline constexpr std::uintptr_t kConnect = 113;
} // namespace timer

namespace user_message {
inline constexpr std::uint32_t kSaveKeyType = 0x446;
inline constexpr std::uint32_t kResetBoardType = 0x449;
inline constexpr std::uint32_t kButtonSettingsChanged = 0x7E6;
} // namespace user_message

// The companion whiteboard program's main window and its notices.
namespace companion {
inline constexpr const char* kMainClass = "TfrmReSent";
inline constexpr const char* kMainTitle = "EBoard";
inline constexpr std::uint32_t kNotice = 0x7F2;
inline constexpr std::intptr_t kBoardGone = 0x119;
} // namespace companion

} // namespace driver
