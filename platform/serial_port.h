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
    // Done: the read ended with bytes (0 when it was aborted); Pending: it
    // is still under way; Failed: it ended in an error, as when the port
    // went away or the line reported an error.
    enum class ReadStatus { Done, Pending, Failed };
    struct Read {
        ReadStatus status = ReadStatus::Failed;
        std::uint32_t bytes = 0;
    };

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
    // over: Done (at once), Pending or Failed.
    virtual Read StartRead(std::span<std::uint8_t> buffer) = 0;
    // True when the outstanding read completed within the time.
    virtual bool WaitForRead(std::uint32_t milliseconds) = 0;
    // The outstanding read's result without waiting.
    virtual Read FetchReadResult() = 0;
    // Ends the outstanding read and returns once it is over, so that its
    // buffer is free again.
    virtual void CancelRead() = 0;
    // Writes and waits for the write to complete, at most timeoutMs; a write
    // still under way then is cancelled and fails.
    virtual bool Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) = 0;
};

} // namespace platform
