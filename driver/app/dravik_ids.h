#pragma once

#include "driver/state/driver_ids.h"

#include <cstdint>

namespace driver {

inline constexpr int kDravikDialogId = 102;
inline constexpr int kAppIconId = 128;
inline constexpr int kStateEditId = 1000;

// The driver's single-instance mutex and the window other programs find.
inline constexpr const char* kInstanceMutexName = "ZEKDUALPENPRO";
inline constexpr const char* kDialogClass = "#32770";
inline constexpr const char* kDialogTitle = "QelELECDUALPRO";

} // namespace driver
