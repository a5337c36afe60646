#pragma once

// What the driver, the settings tool, the calibration program, the companion,
// the installer and the tests must agree on. The installer's defines and the
// end-to-end tests' constants are read from this file by
// common/program_contract.py: keep each value on one line of the form
// "inline constexpr TYPE kName = VALUE;", VALUE a string or integer literal.

#include <cstdint>
#include <string_view>

namespace contract {

// The driver's main dialog: every other program finds it by these.
namespace driver_window {
inline constexpr std::string_view kClass = "#32770";
inline constexpr std::string_view kTitle = "QelELECDUALPRO";
// Held while a driver runs; a second start only shows a box.
inline constexpr std::string_view kInstanceMutex = "ZEKDUALPENPRO";
// Signalled by the installers to end the driver in every session, where
// its window cannot be found. Only the system and administrators can
// signal it; the driver's own user only waits on it.
inline constexpr std::string_view kEndEvent = "Global\\DravikEndDriver";
} // namespace driver_window

// Messages posted to the driver's window.
namespace driver_message {
// From the calibration program as it starts: lParam kRawFramesOnly forwards
// the raw frames, kForwardAreasToo the touches on the orientation areas too.
inline constexpr std::uint32_t kOrientationStart = 0x443;
inline constexpr std::intptr_t kRawFramesOnly = 0;
inline constexpr std::intptr_t kForwardAreasToo = 8;
// From the calibration program as it ends: wParam kCalibrationWritten (with
// lParam 0) reloads the calibration, anything else only ends orientation.
inline constexpr std::uint32_t kOrientationDone = 0x444;
inline constexpr std::uintptr_t kCalibrationWritten = 0;
inline constexpr std::uintptr_t kNothingWritten = 1;
inline constexpr std::uint32_t kSaveKeyType = 0x446;
inline constexpr std::uint32_t kKeyError = 0x447;
inline constexpr std::uint32_t kResetBoardType = 0x449;
// From the settings tool: section "LUMERASET" was saved, read it again.
inline constexpr std::uint32_t kButtonSettingsChanged = 0x7E6;
// The driver's own: copy the members into the controls.
inline constexpr std::uint32_t kRefreshState = 0x84C;
} // namespace driver_message

// Registered message names: a companion's commands to the driver, and its
// question whether a board is there.
namespace registered {
inline constexpr std::string_view kDriverSet = "QelDriverSet";
inline constexpr std::string_view kOk = "QelOK";
} // namespace registered

// The commands of "QelDriverSet" (wParam), and the lParam each needs.
namespace driver_set {
inline constexpr std::uintptr_t kClaimClick = 10;
inline constexpr std::intptr_t kClaimArgument = 1;
inline constexpr std::uintptr_t kPipeChannel = 30;
inline constexpr std::uintptr_t kStopChannel = 31;
inline constexpr std::uintptr_t kSocketChannel = 32;
inline constexpr std::uintptr_t kStopChannelToo = 33;
inline constexpr std::intptr_t kChannelArgument = 2;
// Any lParam.
inline constexpr std::uintptr_t kQueryDualPen = 100;
} // namespace driver_set

// The companion whiteboard program: its main window and the notices the
// driver posts to it.
namespace companion {
inline constexpr std::string_view kMainClass = "TfrmReSent";
inline constexpr std::string_view kMainTitle = "EBoard";
inline constexpr std::uint32_t kNotice = 0x7F2;
inline constexpr std::uint32_t kButtonNotice = 0x7F4;
inline constexpr std::intptr_t kBoardGone = 0x119;
inline constexpr std::intptr_t kAnnounceModel = 0x911;
inline constexpr std::intptr_t kAnnounceDone = 0x922;
// wParam of kAnnounceModel with two pens; 0 with one.
inline constexpr std::uintptr_t kTwoPenModel = 6;

// The companion's tool window, told about dual-pen mode: wParam
// kDualPenChanged with lParam kDualPenOn or kDualPenOff; wParam
// kDualPenAnswer answers a query with 1 or 0.
inline constexpr std::string_view kToolClass = "TMainToolfrm";
inline constexpr std::uintptr_t kDualPenChanged = 1000;
inline constexpr std::intptr_t kDualPenOn = 3;
inline constexpr std::intptr_t kDualPenOff = 4;
inline constexpr std::uintptr_t kDualPenAnswer = 1002;

// Where the second pen's screen frames go: the pipe the companion opens,
// or its TCP port on this machine.
inline constexpr std::string_view kDualPenPipe = "\\\\.\\Pipe\\PipeStdDataDual";
inline constexpr std::uint16_t kDualPenPort = 6171;
inline constexpr std::string_view kDualPenAddress = "127.0.0.1";
} // namespace companion

// The calibration program: its window, and the pipe on which the driver
// hands it raw frames.
namespace orientation {
inline constexpr std::string_view kWindowClass = "DUALPENORIENT";
inline constexpr std::string_view kPipe = "\\\\.\\Pipe\\DravikPRO";
} // namespace orientation

// DualData.ini, beside the programs or, for a user who is not an
// administrator, in the application-data folder below these two folders.
namespace settings_file {
inline constexpr std::string_view kName = "DualData.ini";
inline constexpr std::string_view kUserFolderTop = "QelSoftware";
inline constexpr std::string_view kUserFolder = "Drivers";
// The calibration program writes this copy, then renames it over the file.
inline constexpr std::string_view kCopySuffix = ".new";

// The calibration grid: the calibration program writes it, the driver
// reads it; kOrientKey "1" asks for a calibration at the next start.
inline constexpr std::string_view kCoordinateSection = "coordinate";
inline constexpr std::string_view kColumnsKey = "wdot";
inline constexpr std::string_view kRowsKey = "hdot";
inline constexpr int kDefaultGridSize = 3;
inline constexpr std::string_view kOrientKey = "orient";

// The pen buttons' functions: the settings tool writes them, the driver
// reads them.
inline constexpr std::string_view kButtonSection = "LUMERASET";
inline constexpr std::string_view kUseDefaultsKey = "IF_SET_F_NO_T";
inline constexpr std::string_view kFrontChoiceKey = "BOX1LASTCHOOSE";
inline constexpr std::string_view kBackChoiceKey = "BOX2LASTCHOOSE";
inline constexpr int kDefaultUseDefaults = 0;
inline constexpr int kDefaultFrontChoice = 5;
inline constexpr int kDefaultBackChoice = 6;

// kLogFileKey 1 makes the driver and the calibration program log why
// things failed. Off by default.
inline constexpr std::string_view kDiagnosticsSection = "DIAGNOSTICS";
inline constexpr std::string_view kLogFileKey = "LOG_FILE";

// The monitor the board shows, as the calibration program chose it: the
// grid maps into this monitor. Found again by its device ID, else by its
// rectangle (desktop coordinates, right and bottom exclusive); with no
// section the board shows the primary monitor.
inline constexpr std::string_view kMonitorSection = "BoardMonitor";
inline constexpr std::string_view kMonitorIdKey = "DeviceID";
inline constexpr std::string_view kMonitorNameKey = "Device";
inline constexpr std::string_view kMonitorLeftKey = "Left";
inline constexpr std::string_view kMonitorTopKey = "Top";
inline constexpr std::string_view kMonitorRightKey = "Right";
inline constexpr std::string_view kMonitorBottomKey = "Bottom";

// How the driver and the tools show themselves to the user. kTrayIconKey 0
// hides the notification-area icon (shown by default); kLanguageKey picks
// the texts: kLanguageAuto follows the user's UI language, kLanguageChinese
// and kLanguageEnglish force one.
inline constexpr std::string_view kInterfaceSection = "UserInterface";
inline constexpr std::string_view kTrayIconKey = "TrayIcon";
inline constexpr std::string_view kLanguageKey = "Language";
inline constexpr std::string_view kLanguageAuto = "auto";
inline constexpr std::string_view kLanguageChinese = "zh";
inline constexpr std::string_view kLanguageEnglish = "en";
} // namespace settings_file

// Language.ini beside the programs: each program's texts, and what a text
// the file lacks reads as.
namespace language_file {
inline constexpr std::string_view kName = "Language.ini";
// The English texts: UTF-16 with a byte-order mark, so the profile
// functions read it right whatever the system's code page.
inline constexpr std::string_view kEnglishName = "Language-en.ini";
inline constexpr std::string_view kMissingText = "GetError";
} // namespace language_file

// What the programs log beside the settings file they use; a full log is
// moved aside with kRotatedSuffix.
namespace log_file {
inline constexpr std::string_view kDriver = "Dravik.log";
inline constexpr std::string_view kOrient = "Orient.log";
inline constexpr std::string_view kRotatedSuffix = ".old";
} // namespace log_file

} // namespace contract
