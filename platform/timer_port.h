#pragma once

#include "platform/window_handles.h"

#include <cstdint>

namespace platform {

// Window timers: each tick is a timer message to the window, on its thread.
class TimerPort {
public:
    virtual ~TimerPort() = default;

    // Starting a running timer restarts its countdown.
    virtual bool SetTimer(WindowHandle window, std::uintptr_t timerId,
                          std::uint32_t milliseconds) = 0;
    virtual bool KillTimer(WindowHandle window, std::uintptr_t timerId) = 0;
};

} // namespace platform
