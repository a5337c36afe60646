#include <windows.h>

#include "platform/win32/win32_serial_port.h"

#include <atomic>

namespace platform {

struct Win32SerialPort::Io {
    std::atomic<HANDLE> port{INVALID_HANDLE_VALUE};
    // The reader thread's alone.
    HANDLE readEvent = nullptr;
    OVERLAPPED readOverlapped{};
    // One write at a time: only the reader writes.
    HANDLE writeEvent = nullptr;
    OVERLAPPED writeOverlapped{};
};

Win32SerialPort::Win32SerialPort(TracePort& trace) : m_trace(trace), m_io(std::make_unique<Io>()) {
    // Made once and kept for every write; without it the write would wait
    // on the port handle, which works as well.
    m_io->writeEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

Win32SerialPort::~Win32SerialPort() {
    Close();
    CloseReadEvent();
    if (m_io->writeEvent != nullptr) {
        ::CloseHandle(m_io->writeEvent);
    }
}

bool Win32SerialPort::Open(const std::string& path) {
    const HANDLE handle =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_trace.Failure("CreateFileA", ::GetLastError(), path);
        return false;
    }
    m_path = path;
    // A handle left open by a link that was never closed would keep the
    // device busy for good.
    const HANDLE old = m_io->port.exchange(handle);
    if (old != INVALID_HANDLE_VALUE) {
        ::CloseHandle(old);
    }
    return true;
}

bool Win32SerialPort::IsOpen() const {
    return m_io->port.load() != INVALID_HANDLE_VALUE;
}

void Win32SerialPort::Configure(const SerialSettings& settings) {
    // Each call is tried whatever the one before did; a port that refuses a
    // setting still works with what it has.
    const HANDLE port = m_io->port.load();
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = settings.readIntervalTimeoutMs;
    if (!::SetCommTimeouts(port, &timeouts)) {
        Fail("SetCommTimeouts");
    }
    if (!::SetupComm(port, settings.inQueue, settings.outQueue)) {
        Fail("SetupComm");
    }
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!::GetCommState(port, &dcb)) {
        Fail("GetCommState");
    }
    dcb.BaudRate = settings.baudRate;
    // Only the check is switched off; the Parity field stays as the driver has it.
    dcb.fParity = FALSE;
    dcb.ByteSize = settings.byteSize;
    dcb.StopBits = settings.stopBits;
    if (!::SetCommMask(port, settings.eventMask)) {
        Fail("SetCommMask");
    }
    if (!::SetCommState(port, &dcb)) {
        Fail("SetCommState");
    }
}

void Win32SerialPort::Fail(const char* call) {
    m_trace.Failure(call, ::GetLastError(), m_path);
}

void Win32SerialPort::SetEventMask(std::uint32_t mask) {
    ::SetCommMask(m_io->port.load(), mask);
}

void Win32SerialPort::Purge(std::uint32_t flags) {
    const HANDLE port = m_io->port.load();
    ::PurgeComm(port, flags);
    if ((flags & PURGE_RXABORT) != 0) {
        // Wine's purge leaves a pending overlapped read of a pty port running;
        // cancelling it ends the reader's wait at once there too.
        ::CancelIoEx(port, nullptr);
    }
}

void Win32SerialPort::Close() {
    const HANDLE old = m_io->port.exchange(INVALID_HANDLE_VALUE);
    if (old != INVALID_HANDLE_VALUE) {
        ::CloseHandle(old);
    }
}

bool Win32SerialPort::CreateReadEvent() {
    m_io->readEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return m_io->readEvent != nullptr;
}

void Win32SerialPort::CloseReadEvent() {
    if (m_io->readEvent != nullptr) {
        ::CloseHandle(m_io->readEvent);
        m_io->readEvent = nullptr;
    }
}

void Win32SerialPort::ClearErrors() {
    DWORD errors = 0;
    ::ClearCommError(m_io->port.load(), &errors, nullptr);
}

SerialPort::Read Win32SerialPort::StartRead(std::span<std::uint8_t> buffer) {
    m_io->readOverlapped = OVERLAPPED{};
    m_io->readOverlapped.hEvent = m_io->readEvent;
    DWORD count = 0;
    if (::ReadFile(m_io->port.load(), buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                   &m_io->readOverlapped)) {
        return {ReadStatus::Done, count};
    }
    if (::GetLastError() == ERROR_IO_PENDING) {
        return {ReadStatus::Pending, 0};
    }
    Fail("ReadFile");
    return {ReadStatus::Failed, 0};
}

bool Win32SerialPort::WaitForRead(std::uint32_t milliseconds) {
    return ::WaitForSingleObject(m_io->readEvent, milliseconds) == WAIT_OBJECT_0;
}

SerialPort::Read Win32SerialPort::FetchReadResult() {
    DWORD count = 0;
    if (::GetOverlappedResult(m_io->port.load(), &m_io->readOverlapped, &count, FALSE)) {
        return {ReadStatus::Done, count};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_IO_INCOMPLETE) {
        return {ReadStatus::Pending, 0};
    }
    // A purge (ERROR_OPERATION_ABORTED) is the closer's doing, not a fault.
    if (error != ERROR_OPERATION_ABORTED) {
        m_trace.Failure("GetOverlappedResult(read)", error, m_path);
    }
    return {ReadStatus::Failed, 0};
}

void Win32SerialPort::CancelRead() {
    const HANDLE port = m_io->port.load();
    ::CancelIoEx(port, &m_io->readOverlapped);
    // The read owns its buffer until it is over, cancelled or not.
    DWORD count = 0;
    ::GetOverlappedResult(port, &m_io->readOverlapped, &count, TRUE);
}

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes, std::uint32_t timeoutMs) {
    const HANDLE port = m_io->port.load();
    m_io->writeOverlapped = OVERLAPPED{};
    m_io->writeOverlapped.hEvent = m_io->writeEvent;
    if (::WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                    &m_io->writeOverlapped)) {
        return true;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        Fail("WriteFile");
        DWORD errors = 0;
        ::ClearCommError(port, &errors, nullptr);
        return false;
    }
    DWORD written = 0;
    if (::WaitForSingleObject(m_io->writeEvent, timeoutMs) == WAIT_OBJECT_0) {
        // Handed over; how the write ended is not looked at.
        ::GetOverlappedResult(port, &m_io->writeOverlapped, &written, FALSE);
        return true;
    }
    // A line that flow control holds shut must not hold the reader: give the
    // write up, and wait until the cancel is through before the record is reused.
    m_trace.Failure("WriteFile(timed out)", WAIT_TIMEOUT, m_path);
    ::CancelIoEx(port, &m_io->writeOverlapped);
    ::GetOverlappedResult(port, &m_io->writeOverlapped, &written, TRUE);
    return false;
}

} // namespace platform
