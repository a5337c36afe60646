#include "driver/pen/reader_loop.h"

namespace driver {

int ReaderLoop::ReaderThreadProc() {
    m_companion.LookUp();
    if (!m_serial.CreateReadEvent()) {
        return -1;
    }
    while (m_state.linkOpen != 0) {
        if (!RunOnce()) {
            return -1;
        }
    }
    m_serial.CloseReadEvent();
    return 0;
}

bool ReaderLoop::RunOnce() {
    bool failed = false;
    const std::uint32_t count = m_state.hidMode != 0 ? ReadHid() : ReadSerial(failed);
    if (failed) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    m_state.hidSilentTicks = 0;
    m_dispatcher.Dispatch(m_frame);
    return true;
}

std::uint32_t ReaderLoop::ReadHid() {
    m_frame.fill(0);
    m_report.fill(0);
    const std::size_t count = m_hid.ReadReport(m_report);
    m_frame = FrameFromHidReport(m_report);
    if (count == 0) {
        m_clock.Sleep(kHidRetryPauseMs);
    }
    return static_cast<std::uint32_t>(count);
}

std::uint32_t ReaderLoop::ReadSerial(bool& failed) {
    std::uint32_t count = 0;
    if (!m_readOutstanding) {
        m_serial.ClearErrors();
        switch (m_serial.StartRead(m_frame, count)) {
        case platform::SerialPort::ReadStart::Completed:
            return count;
        case platform::SerialPort::ReadStart::Failed:
            m_serial.CloseReadEvent();
            m_serial.ClearErrors();
            failed = true;
            return 0;
        case platform::SerialPort::ReadStart::Pending:
            m_readOutstanding = true;
            break;
        }
    }
    if (!m_serial.WaitForRead(kSerialWaitMs)) {
        // A silent board is woken; the read stays outstanding meanwhile.
        m_serial.Write(StartCommand);
        m_clock.Sleep(kWakePauseMs);
    }
    switch (m_serial.FetchReadResult(count)) {
    case platform::SerialPort::ReadResult::StillPending:
        return 0;
    case platform::SerialPort::ReadResult::Failed:
        m_readOutstanding = false;
        if (m_state.linkOpen == 0) {
            return 0; // the closer's purge ended it
        }
        // A port that hung up fails every read at once: retrying would spin.
        m_serial.CloseReadEvent();
        m_serial.ClearErrors();
        failed = true;
        return 0;
    case platform::SerialPort::ReadResult::Done:
        break;
    }
    m_readOutstanding = false;
    return count;
}

} // namespace driver
