#pragma once

#include "driver/state/driver_ids.h"

#include <cstdint>

namespace driver {

inline constexpr int kDravikDialogId = 102;
inline constexpr int kAppIconId = 128;
inline constexpr int kStateEditId = 1000;

// The notification-area icon's pictures, one per state.
inline constexpr int kTrayNotConnectedIconId = 129;
inline constexpr int kTrayConnectedIconId = 130;
inline constexpr int kTrayCalibratingIconId = 131;
inline constexpr int kTrayDualPenIconId = 132;

// The icon menu's commands, sent to the dialog as WM_COMMAND.
inline constexpr std::uint16_t kTrayCalibrateCommand = 40001;
inline constexpr std::uint16_t kTrayPenButtonsCommand = 40002;
inline constexpr std::uint16_t kTrayDiagnosticsCommand = 40003;
inline constexpr std::uint16_t kTrayAboutCommand = 40004;
inline constexpr std::uint16_t kTrayExitCommand = 40005;

inline constexpr const char* kPenSettingsProgram = "LumeraSet.exe";

// Dual-pen mode as the dialog shows it: the state line, and the button that
// switches the mode (its text says what pressing it does).
inline constexpr const char* kDualPenEnteredText = "进入双笔状态";
inline constexpr const char* kDualPenLeftText = "禁用双笔状态";
inline constexpr const char* kEnableDualPenText = "启用双笔";
inline constexpr const char* kDisableDualPenText = "禁用双笔";

} // namespace driver
