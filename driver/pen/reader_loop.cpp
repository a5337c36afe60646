#include "driver/pen/reader_loop.h"

namespace driver {

int ReaderLoop::ReaderThreadProc() {
    m_companion.LookUp();
    m_reading = nullptr;
    if (!m_serial.Begin()) {
        return -1;
    }
    if (!m_hid.Begin()) {
        m_serial.End();
        return -1;
    }
    while (m_state.linkOpen != 0) {
        if (!RunOnce()) {
            return -1;
        }
    }
    EndSources();
    return 0;
}

bool ReaderLoop::RunOnce() {
    FrameSource& source = Current();
    if (m_reading != nullptr && m_reading != &source) {
        m_reading->Leave();
    }
    m_reading = &source;
    switch (source.Read(m_frame)) {
    case FrameSource::Outcome::Failed:
        EndSources();
        return false;
    case FrameSource::Outcome::Nothing:
        return true;
    case FrameSource::Outcome::Frame:
        break;
    }
    m_state.hidSilentTicks = 0;
    m_dispatcher.Dispatch(m_frame);
    return true;
}

void ReaderLoop::EndSources() {
    // A read still under way must be over before the closer closes the port.
    for (FrameSource* source : {&m_serial, &m_hid}) {
        source->Leave();
        source->End();
    }
}

} // namespace driver
