#pragma once

#include "driver/ipc/channel_slot.h"
#include "driver/ipc/companion_window.h"
#include "driver/pen/frame_dispatcher.h"
#include "driver/pen/function_areas.h"
#include "driver/pointer/board_monitor.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/mouse_injection.h"
#include "driver/pointer/orientation_launcher.h"
#include "driver/pointer/pen_state_machine.h"
#include "driver/state/dialog_requests.h"
#include "driver/state/driver_state.h"
#include "platform/platform.h"

namespace driver {

// The parts that turn frames into pointer input and companion messages,
// wired once for the dialog that owns them (and for the test rigs, the same
// way).
struct PenPipeline {
    PenPipeline(platform::Platform& platform, DriverState& state, DialogRequests& dialog)
        : screen(platform.display, platform.profile, platform.trace),
          inject(platform.mouse, calibration), pen(calibration, inject, platform.clock),
          companion(platform.windows, state),
          launcher(platform.windows, platform.profile, platform.files, platform.shell, state),
          areas(state, calibration, companion, dialog, launcher),
          dispatcher(ReaderEnvironment{state, platform.windows, platform.clock, calibration, pen,
                                       companion, dialog, areas, currentChannel, orientationPipe}) {
    }

    BoardScreenLocator screen;
    CalibrationStore calibration;
    MouseInjector inject;
    PenStateMachine pen;
    CompanionWindow companion;
    OrientationLauncher launcher;
    FunctionAreas areas;
    ChannelSlot currentChannel;
    ChannelSlot orientationPipe;
    FrameDispatcher dispatcher;
};

} // namespace driver
