#pragma once

#include "platform/serial_port.h"
#include "platform/trace_port.h"

#include <memory>
#include <string>

namespace platform {

// The board's COM port, opened for overlapped I/O. The reader thread reads
// and writes while the dialog thread may purge (which is how a pending read
// is ended), so the handle is held atomically; closing it is left until the
// reader has ended.
class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(TracePort& trace);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool Open(const std::string& path) override;
    bool IsOpen() const override;
    void Configure(const SerialSettings& settings) override;
    void SetEventMask(std::uint32_t mask) override;
    void Purge(std::uint32_t flags) override;
    void Close() override;

    bool CreateReadEvent() override;
    void CloseReadEvent() override;
    void ClearErrors() override;
    Read StartRead(std::span<std::uint8_t> buffer) override;
    bool WaitForRead(std::uint32_t milliseconds) override;
    Read FetchReadResult() override;
    void CancelRead() override;
    bool Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) override;

private:
    void Fail(const char* call);

    TracePort& m_trace;
    std::string m_path; // for the trace
    struct Io;
    std::unique_ptr<Io> m_io;
};

} // namespace platform
