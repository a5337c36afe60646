#pragma once

#include <cstdint>
#include <span>

namespace platform {

// The board's serial port as the reader thread uses it: overlapped reads,
// at most one outstanding, with an event the reader owns for its run.
class SerialPort {
public:
    enum class ReadStart { Completed, Pending, Failed };
    enum class ReadResult { Done, StillPending };

    virtual ~SerialPort() = default;

    // The reader's event for overlapped reads; false when it cannot be made.
    virtual bool CreateReadEvent() = 0;
    virtual void CloseReadEvent() = 0;
    // Clears the port's error state so that reads can go on after a fault.
    virtual void ClearErrors() = 0;
    // Starts a read into buffer, which must stay untouched until the read is
    // done; bytesRead is set when it completes at once.
    virtual ReadStart StartRead(std::span<std::uint8_t> buffer, std::uint32_t& bytesRead) = 0;
    // True when the outstanding read completed within the time.
    virtual bool WaitForRead(std::uint32_t milliseconds) = 0;
    // The outstanding read's result without waiting; a failed read is done
    // with 0 bytes.
    virtual ReadResult FetchReadResult(std::uint32_t& bytesRead) = 0;
    // Writes and waits for the write to complete.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

} // namespace platform
