#include "driver/pen/hid_frame_source.h"

namespace driver {

FrameSource::Outcome HidFrameSource::Read(PenFrame& frame) {
    m_report.fill(0);
    const std::size_t count = m_device.ReadReport(m_report);
    frame = FrameFromHidReport(m_report);
    if (count == 0) {
        m_clock.Sleep(kRetryPauseMs);
        return Outcome::Nothing;
    }
    return Outcome::Frame;
}

bool HidFrameSource::Wake() {
    return m_device.WriteReport(hidStartReport);
}

} // namespace driver
