#include "driver/app/orientation_control.h"

#include "driver/pointer/load_calibration.h"
#include "driver/state/driver_ids.h"

#include <optional>

namespace driver {

void OrientationControl::OnOrientationStart(std::intptr_t lParam) {
    // Forwarding the touches on the orientation areas too holds back command 33.
    if (lParam == contract::driver_message::kForwardAreasToo) {
        m_state.codePermitted = 0;
        m_state.orientationForwardAll = 1;
    } else {
        m_state.orientationForwardAll = 0;
    }
    m_state.orientationMode = 1;
    // A new start replaces the pipe of the run before, waiting or not.
    m_pending.Drop();
    m_orientationPipe.Retire();
    auto pipe = std::make_shared<OrientationPipe>(m_platform.ipc, m_platform.clock);
    if (!pipe->Create(std::string(contract::orientation::kPipe))) {
        m_state.orientationMode = 0;
        return;
    }
    if (!m_pending.Start(
            pipe, [pipe] { return pipe->WaitForClient(); }, [pipe] { pipe->CancelOpen(); })) {
        m_platform.trace.Failure("CreateThread", 0,
                                 "no worker to wait for the calibration program");
    }
}

bool OrientationControl::OnOpenDone(std::uint32_t ticket, bool opened) {
    std::optional<std::shared_ptr<OrientationPipe>> pipe = m_pending.Finish(ticket);
    if (!pipe) {
        return false;
    }
    // A failed wait closes the pipe; orientation mode stays until the
    // program says it is done.
    if (opened) {
        m_orientationPipe.Publish(std::move(*pipe));
    }
    return true;
}

void OrientationControl::OnOrientationDone(std::uintptr_t wParam, std::intptr_t lParam) {
    m_timers.Start(timer::kCodeRearm);
    if (wParam == contract::driver_message::kCalibrationWritten && lParam == 0) {
        // The program may have chosen another monitor with the grid.
        LoadCalibration(m_calibration, m_platform.profile, m_screen.Locate(m_state.settingsPath),
                        m_platform.trace, m_state.settingsPath);
    }
    m_state.orientationMode = 0;
    m_state.orientationForwardAll = 0;
}

} // namespace driver
