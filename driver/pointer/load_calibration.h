#pragma once

#include "driver/pointer/calibration.h"
#include "driver/pointer/calibration_store.h"
#include "platform/profile_port.h"
#include "platform/trace_port.h"

#include <string>
#include <string_view>

namespace driver {

// The transform picks its layout by the column count alone: 2 x 2, 3 x 3,
// else 5 x 4. A grid is taken only when the file gives every point of that
// layout (spare rows allowed, up to what the tables hold); any other count
// pair would map through points an earlier load left, or zeros.
bool IsSupportedGridLayout(int columns, int rows);

// The C conversion restricted to decimal numbers: blanks skipped, the
// longest numeric prefix taken, 0 for no number or one beyond double range.
double ParseBoardValue(std::string_view text);

// Reads sections "coordinate" and "ElecButton". Grid entries beyond the
// counts keep what previous holds, as a fresh load over the old one would.
// A grid of no supported layout is refused with a trace line: previous's
// grid stays, whole; the button points are read all the same. Either grid
// maps into screen.
Calibration ReadCalibration(const Calibration& previous, platform::ProfilePort& profile,
                            const BoardScreen& screen, platform::TracePort& trace,
                            const std::string& settingsPath);

// Builds the new calibration aside and publishes it whole.
void LoadCalibration(CalibrationStore& store, platform::ProfilePort& profile,
                     const BoardScreen& screen, platform::TracePort& trace,
                     const std::string& settingsPath);

} // namespace driver
