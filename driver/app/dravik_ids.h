#pragma once

#include "driver/state/driver_ids.h"

#include <cstdint>

namespace driver {

inline constexpr int kDravikDialogId = 102;
inline constexpr int kAppIconId = 128;
inline constexpr int kStateEditId = 1000;

// Dual-pen mode as the dialog shows it: the state line, and the button that
// switches the mode (its text says what pressing it does).
inline constexpr const char* kDualPenEnteredText = "进入双笔状态";
inline constexpr const char* kDualPenLeftText = "禁用双笔状态";
inline constexpr const char* kEnableDualPenText = "启用双笔";
inline constexpr const char* kDisableDualPenText = "禁用双笔";

} // namespace driver
