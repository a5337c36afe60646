#pragma once

#include "orient/grid_layout.h"
#include "platform/display_port.h"
#include "platform/files_port.h"
#include "platform/profile_port.h"

#include <string>

namespace orient {

// Decimal text, without an exponent, that the driver's board-value reading
// takes back as exactly value; "" for a value that is not finite.
std::string FormatBoardValue(double value);

// Writes "wdot", "hdot" and every "dot(%d,%d).x" and "dot(%d,%d).y" (column
// first) of a complete grid into section "coordinate" of the settings file,
// and the monitor whose pixels the grid's targets are into section
// "BoardMonitor", all of them or none: the driver never pairs a grid with
// another monitor's place and size. The profile functions write one key at a time, so
// they write into a copy beside the file, which is read back key by key and
// then put in the file's place by one rename: the driver reads either the
// old calibration or the new one, whenever it reloads and wherever this
// stops. When the file changed while the copy was written (the driver and
// the settings dialog write it too), the copy is made again, so what they
// wrote meanwhile is kept; only a write between the last look at the file
// and the rename can still be lost. False, with the file as it was and no
// copy left, when the grid is incomplete, any step fails or the file keeps
// changing, or the monitor has no area.
bool WriteCalibrationGrid(platform::ProfilePort& profile, platform::FilesPort& files,
                          const std::string& settingsPath, const MeasuredGrid& grid,
                          const platform::MonitorInfo& monitor);

} // namespace orient
