#pragma once

#include "driver/state/dialog_timers.h"
#include "platform/window_port.h"

#include <cstdint>

namespace driver {

// What the reader thread may ask of the main dialog: everything here is
// safe to call from the reader thread.
class DialogRequests {
public:
    virtual ~DialogRequests() = default;

    virtual void PostToDialog(std::uint32_t message, platform::WParam wParam,
                              platform::LParam lParam) = 0;
    // Starts (or restarts) one of the dialog's timers. Only the dialog's own
    // thread can start them, so this asks it to.
    virtual void StartDialogTimer(DialogTimer timer) = 0;
};

} // namespace driver
