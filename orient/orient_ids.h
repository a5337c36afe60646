#pragma once

#include <cstdint>
#include <string_view>

namespace orient {

// The running driver's main dialog, and what it takes from this program.
inline constexpr std::string_view kDriverWindowClass = "#32770";
inline constexpr std::string_view kDriverWindowTitle = "QelELECDUALPRO";
// lParam 0: raw frames, the orientation areas still close this program.
inline constexpr std::uint32_t kOrientationStart = 0x443;
// (0, 0): new calibration written, reload it; (1, 0): nothing new.
inline constexpr std::uint32_t kOrientationDone = 0x444;
inline constexpr std::string_view kOrientationPipe = "\\\\.\\Pipe\\DravikPRO";

// This program's window, as the driver looks for it.
inline constexpr std::string_view kWindowClass = "DUALPENORIENT";

// What the pipe's reader thread posts to the window (WM_APP and on).
inline constexpr std::uint32_t kFrameArrived = 0x8000 + 1;
inline constexpr std::uint32_t kPipeEnded = 0x8000 + 2;

// Section "coordinate" of the settings file, as the driver reads it.
inline constexpr std::string_view kCoordinateSection = "coordinate";
inline constexpr std::string_view kColumnsKey = "wdot";
inline constexpr std::string_view kRowsKey = "hdot";

// Section of Language.ini with every text this program shows.
inline constexpr std::string_view kLanguageSection = "Orient";

} // namespace orient
