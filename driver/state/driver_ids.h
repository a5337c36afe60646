#pragma once

#include "common/program_contract.h"
#include "driver/state/dialog_timers.h"

#include <cstdint>

namespace driver {

// The driver's own messages to its window; what other programs post to it is
// in common/program_contract.h.
namespace user_message {
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
// The shell tells what the user did to the notification-area icon (the event
// in lParam's low word).
inline constexpr std::uint32_t kTrayIcon = 0x8000 + 0x104;
} // namespace user_message

} // namespace driver
