#include "driver/pen/serial_frame_source.h"

namespace driver {

using ReadStatus = platform::SerialPort::ReadStatus;

bool SerialFrameSource::Begin() {
    // A read left under way by an earlier run belongs to a closed link.
    m_readOutstanding = false;
    m_failuresInARow = 0;
    return m_port.CreateReadEvent();
}

void SerialFrameSource::End() {
    m_port.CloseReadEvent();
}

void SerialFrameSource::Leave() {
    if (m_readOutstanding) {
        m_port.CancelRead();
        m_readOutstanding = false;
    }
}

FrameSource::Outcome SerialFrameSource::Read(PenFrame& frame) {
    if (!m_readOutstanding) {
        m_port.ClearErrors();
        const platform::SerialPort::Read started = m_port.StartRead(m_buffer);
        switch (started.status) {
        case ReadStatus::Done:
            return Delivered(frame, started.bytes);
        case ReadStatus::Failed:
            // The port refuses reads outright, as a removed device does.
            m_port.ClearErrors();
            m_trace.Failure("serial read", 0, "the port refused a read; the reader ends");
            return Outcome::Failed;
        case ReadStatus::Pending:
            m_readOutstanding = true;
            break;
        }
    }
    if (!m_port.WaitForRead(kWaitMs)) {
        // A silent board is woken; the read stays under way meanwhile.
        Wake();
        m_clock.Sleep(kWakePauseMs);
    }
    const platform::SerialPort::Read result = m_port.FetchReadResult();
    switch (result.status) {
    case ReadStatus::Pending:
        return Outcome::Nothing;
    case ReadStatus::Failed:
        m_readOutstanding = false;
        return ReadFailed();
    case ReadStatus::Done:
        break;
    }
    m_readOutstanding = false;
    return Delivered(frame, result.bytes);
}

FrameSource::Outcome SerialFrameSource::Delivered(PenFrame& frame, std::uint32_t bytes) {
    if (bytes == 0) {
        return Outcome::Nothing;
    }
    m_failuresInARow = 0;
    frame = m_buffer;
    return Outcome::Frame;
}

FrameSource::Outcome SerialFrameSource::ReadFailed() {
    if (m_state.linkOpen == 0) {
        return Outcome::Nothing; // the closer's purge ended it
    }
    m_port.ClearErrors();
    if (++m_failuresInARow < kFailuresToGiveUp) {
        return Outcome::Nothing;
    }
    m_trace.Failure("serial read", 0, "reads fail back to back; the reader ends");
    return Outcome::Failed;
}

bool SerialFrameSource::Wake() {
    return WriteSerial(StartCommand);
}

bool SerialFrameSource::WriteSerial(std::span<const std::uint8_t> bytes) {
    if (m_state.linkOpen == 0) {
        return false;
    }
    return m_port.Write(bytes, kWriteBoundMs);
}

void SerialFrameSource::AbortRead() {
    if (m_port.IsOpen()) {
        m_port.Purge(kPurgeAll);
    }
}

} // namespace driver
