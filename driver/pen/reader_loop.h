#pragma once

#include "driver/ipc/companion_window.h"
#include "driver/pen/frame_dispatcher.h"
#include "driver/pen/frame_source.h"
#include "driver/state/driver_state.h"

namespace driver {

// The reader thread: takes frames from the serial or the HID source, as
// hidMode says at each pass, while the link is open, and hands each to the
// dispatcher.
class ReaderLoop {
public:
    ReaderLoop(DriverState& state, FrameSource& serial, FrameSource& hid,
               CompanionWindow& companion, FrameDispatcher& dispatcher)
        : m_state(state), m_serial(serial), m_hid(hid), m_companion(companion),
          m_dispatcher(dispatcher) {}

    // The thread's body: 0 when the link was closed, -1 when a source could
    // not be read at all or failed for good.
    int ReaderThreadProc();

    // One pass of the loop: one read and, if it brought bytes, one dispatch.
    // False when the thread must end with -1 (the sources are ended then).
    bool RunOnce();

private:
    FrameSource& Current() { return m_state.hidMode != 0 ? m_hid : m_serial; }
    void EndSources();

    DriverState& m_state;
    FrameSource& m_serial;
    FrameSource& m_hid;
    CompanionWindow& m_companion;
    FrameDispatcher& m_dispatcher;
    FrameSource* m_reading = nullptr;
    PenFrame m_frame{};
};

} // namespace driver
