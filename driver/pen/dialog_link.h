#pragma once

#include "platform/window_port.h"

#include <cstdint>

namespace driver {

// What the reader thread may ask of the main dialog. Everything here is
// safe to call from the reader thread.
class DialogLink {
public:
    virtual ~DialogLink() = default;

    virtual void PostToDialog(std::uint32_t message, platform::WParam wParam,
                              platform::LParam lParam) = 0;
    // Starts (or restarts) one of the dialog's timers on the dialog's own
    // thread, the only thread that can start them.
    virtual void StartDialogTimer(std::uintptr_t timerId, std::uint32_t milliseconds) = 0;
    // Closes a running calibration program, or starts one.
    virtual void StartOrientation() = 0;
};

} // namespace driver
