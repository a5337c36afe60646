#pragma once

#include <array>
#include <cstdint>

namespace driver {

// One of the main dialog's window timers, by the number the driver has
// always used, with the period it always runs at.
struct DialogTimer {
    std::uintptr_t id = 0;
    std::uint32_t periodMs = 0;
    friend bool operator==(const DialogTimer&, const DialogTimer&) = default;
};

namespace timer {
inline constexpr DialogTimer kLeftTaps{67, 500};
inline constexpr DialogTimer kRightTaps{68, 500};
inline constexpr DialogTimer kHide{103, 100};
inline constexpr DialogTimer kHidKeepAlive{111, 1000};
inline constexpr DialogTimer kCommandRearm{112, 200};
inline constexpr DialogTimer kConnect{113, 2000};
inline constexpr DialogTimer kButtonDefaultAction{114, 80};
inline constexpr DialogTimer kSecondPenRearm{116, 200};
// Looks for monitor changes that no message announced and for an
// installer's request that every session's driver end (it waits 10 s). Runs
// only while the connect timer does not, whose expiry looks as well: every
// wake-up costs an idle driver.
inline constexpr DialogTimer kLooks{117, 2000};
inline constexpr DialogTimer kCodeRearm{222, 1000};
// A balloon held back so that balloons do not come too thick.
inline constexpr DialogTimer kTrayBalloon{119, 5000};
inline constexpr std::array kAll = {
    kLeftTaps,   kRightTaps,           kHide,           kHidKeepAlive, kCommandRearm,
    kConnect,    kButtonDefaultAction, kSecondPenRearm, kLooks,        kCodeRearm,
    kTrayBalloon};
} // namespace timer

// Starting and stopping the main dialog's timers, on the dialog's thread
// (the only thread that can). Starting a running timer restarts it.
class DialogTimers {
public:
    virtual ~DialogTimers() = default;
    virtual void Start(DialogTimer timer) = 0;
    virtual void Stop(DialogTimer timer) = 0;
};

} // namespace driver
