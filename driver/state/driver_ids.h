#pragma once

#include "driver/state/dialog_timers.h"

#include <cstdint>

namespace driver {

// Messages other programs send to the driver's window, and the driver's own.
namespace user_message {
// From the calibration program: it starts (lParam 8: forward the touches on
// the orientation areas too), and it has written the calibration ((0, 0);
// anything else ends orientation without a reload).
inline constexpr std::uint32_t kOrientationStart = 0x443;
inline constexpr std::uint32_t kOrientationDone = 0x444;
inline constexpr std::uint32_t kSaveKeyType = 0x446;
inline constexpr std::uint32_t kKeyError = 0x447;
inline constexpr std::uint32_t kResetBoardType = 0x449;
inline constexpr std::uint32_t kButtonSettingsChanged = 0x7E6;
// The driver's own: copy the members into the controls.
inline constexpr std::uint32_t kRefreshState = 0x84C;
// The driver's own wake-ups, in a range any program can post to: each only
// makes the dialog look at what its threads left for it, never carries it.
// The reader asked for dialog timers: timers can only be started on the
// window's own thread.
inline constexpr std::uint32_t kStartTimerRequest = 0x8000 + 0x101;
// The reader thread gave up (lParam its exit code, for a reader of traces).
inline constexpr std::uint32_t kReaderEnded = 0x8000 + 0x102;
// A wait for a program to open a pipe, or a connection, ended on a worker
// thread (wParam its ticket, lParam 1 when it succeeded, for the same).
inline constexpr std::uint32_t kOpenDone = 0x8000 + 0x103;
} // namespace user_message

// Commands a companion sends with the registered message "QelDriverSet"
// (wParam), and the lParam each needs.
namespace driver_set {
inline constexpr std::uintptr_t kClaimClick = 10;     // lParam 1
inline constexpr std::uintptr_t kPipeChannel = 30;    // lParam 2
inline constexpr std::uintptr_t kStopChannel = 31;    // lParam 2
inline constexpr std::uintptr_t kSocketChannel = 32;  // lParam 2
inline constexpr std::uintptr_t kStopChannelToo = 33; // lParam 2
inline constexpr std::uintptr_t kQueryDualPen = 100;  // any lParam
} // namespace driver_set

// The companion whiteboard program's main window and its messages.
namespace companion {
inline constexpr const char* kMainClass = "TfrmReSent";
inline constexpr const char* kMainTitle = "EBoard";
inline constexpr std::uint32_t kNotice = 0x7F2;
inline constexpr std::uint32_t kButtonNotice = 0x7F4;
inline constexpr std::intptr_t kBoardGone = 0x119;
inline constexpr std::intptr_t kAnnounceModel = 0x911;
inline constexpr std::intptr_t kAnnounceDone = 0x922;

// The companion's tool window, told about dual-pen mode: wParam 1000 with
// lParam 3 (on) or 4 (off); wParam 1002 answers a query with 1 or 0.
inline constexpr const char* kToolClass = "TMainToolfrm";
inline constexpr std::uintptr_t kDualPenChanged = 1000;
inline constexpr std::intptr_t kDualPenOn = 3;
inline constexpr std::intptr_t kDualPenOff = 4;
inline constexpr std::uintptr_t kDualPenAnswer = 1002;

// Where the second pen's screen frames go: the pipe the companion opens,
// or its TCP port on this machine.
inline constexpr const char* kDualPenPipe = "\\\\.\\Pipe\\PipeStdDataDual";
inline constexpr int kDualPenPort = 6171;
inline constexpr const char* kDualPenAddress = "127.0.0.1";
} // namespace companion

// The pipe that carries raw frames to the calibration program.
inline constexpr const char* kOrientationPipeName = "\\\\.\\Pipe\\DravikPRO";

// The calibration program's window.
inline constexpr const char* kOrientationClass = "DUALPENORIENT";

} // namespace driver
