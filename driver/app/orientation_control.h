#pragma once

#include "driver/app/pending_channel.h"
#include "driver/app/pending_opens.h"
#include "driver/ipc/channel_slot.h"
#include "driver/ipc/orientation_pipe.h"
#include "driver/pointer/board_monitor.h"
#include "driver/pointer/calibration_store.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_state.h"
#include "platform/platform.h"

#include <cstdint>
#include <memory>

namespace driver {

// The driver's side of a calibration run: raw frames go to the calibration
// program's pipe while it runs, and its result is loaded when it is done.
// The pipe is published for the reader only once the program has opened it.
// Dialog thread only.
class OrientationControl {
public:
    OrientationControl(platform::Platform& platform, DriverState& state,
                       CalibrationStore& calibration, BoardScreenLocator& screen,
                       ChannelSlot& orientationPipe, PendingOpens& opens, DialogTimers& timers)
        : m_platform(platform), m_state(state), m_calibration(calibration), m_screen(screen),
          m_orientationPipe(orientationPipe), m_timers(timers), m_pending(opens) {}

    // 0x443.
    void OnOrientationStart(std::intptr_t lParam);
    // 0x444: (0, 0) after the program wrote the calibration.
    void OnOrientationDone(std::uintptr_t wParam, std::intptr_t lParam);

    // A worker's wait ended; false when the ticket is not ours.
    bool OnOpenDone(std::uint32_t ticket, bool opened);

private:
    platform::Platform& m_platform;
    DriverState& m_state;
    CalibrationStore& m_calibration;
    BoardScreenLocator& m_screen;
    ChannelSlot& m_orientationPipe;
    DialogTimers& m_timers;
    PendingChannel<OrientationPipe> m_pending;
};

} // namespace driver
