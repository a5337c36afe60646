#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace platform {

struct SerialSettings {
    std::uint32_t readIntervalTimeoutMs = 3;
    std::uint32_t inQueue = 2048;
    std::uint32_t outQueue = 1024;
    std::uint32_t baudRate = 57600;
    std::uint8_t byteSize = 8;
    std::uint8_t stopBits = 0;      // ONESTOPBIT
    std::uint32_t eventMask = 0x81; // EV_RXCHAR | EV_ERR
};

// The board's serial port. The dialog thread opens, configures and closes
// it; the reader thread reads with overlapped reads, at most one
// outstanding, with an event the reader owns for its run, and writes.
class SerialPort {
public:
    enum class ReadStart { Completed, Pending, Failed };
    // Failed: the read ended in an error, as when the port went away.
    enum class ReadResult { Done, StillPending, Failed };

    virtual ~SerialPort() = default;

    // --- the link: dialog thread ---
    // Read and write access, no sharing, overlapped; false when it fails.
    virtual bool Open(const std::string& path) = 0;
    virtual bool IsOpen() const = 0;
    // Time-outs, queue sizes, the line (baud rate, parity check off, byte
    // size, stop bits; every other setting as the port reports it) and the
    // event mask, in that order; failures are not reported.
    virtual void Configure(const SerialSettings& settings) = 0;
    virtual void SetEventMask(std::uint32_t mask) = 0;
    // Also ends an outstanding read.
    virtual void Purge(std::uint32_t flags) = 0;
    virtual void Close() = 0;

    // --- the reader thread ---

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
    // The outstanding read's result without waiting.
    virtual ReadResult FetchReadResult(std::uint32_t& bytesRead) = 0;
    // Writes and waits for the write to complete.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

} // namespace platform
