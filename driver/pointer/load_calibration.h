#pragma once

#include "driver/pointer/calibration.h"
#include "driver/pointer/calibration_store.h"
#include "platform/mouse_port.h"
#include "platform/profile_port.h"

#include <string>
#include <string_view>

namespace driver {

// Grid counts the 5 x 5 tables can hold; a count of 1 or less would also
// make the target spacing divide by zero.
inline constexpr int kMinGridCount = 2;
inline constexpr int kMaxGridCount = kGridCapacity;

// The C conversion restricted to decimal numbers: blanks skipped, the
// longest numeric prefix taken, 0 for no number or one beyond double range.
double ParseBoardValue(std::string_view text);

// Reads sections "coordinate" and "ElecButton". Grid entries beyond the
// counts keep what previous holds, as a fresh load over the old one would.
Calibration ReadCalibration(const Calibration& previous, platform::ProfilePort& profile,
                            platform::MousePort& screen, const std::string& settingsPath);

// Builds the new calibration aside and publishes it whole.
void LoadCalibration(CalibrationStore& store, platform::ProfilePort& profile,
                     platform::MousePort& screen, const std::string& settingsPath);

} // namespace driver
