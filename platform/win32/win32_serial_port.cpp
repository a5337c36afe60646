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

Win32SerialPort::Win32SerialPort() : m_io(std::make_unique<Io>()) {
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
        return false;
    }
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
    const HANDLE port = m_io->port.load();
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = settings.readIntervalTimeoutMs;
    ::SetCommTimeouts(port, &timeouts);
    ::SetupComm(port, settings.inQueue, settings.outQueue);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ::GetCommState(port, &dcb);
    dcb.BaudRate = settings.baudRate;
    // Only the check is switched off; the Parity field stays as the driver has it.
    dcb.fParity = FALSE;
    dcb.ByteSize = settings.byteSize;
    dcb.StopBits = settings.stopBits;
    ::SetCommMask(port, settings.eventMask);
    ::SetCommState(port, &dcb);
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

SerialPort::ReadStart Win32SerialPort::StartRead(std::span<std::uint8_t> buffer,
                                                 std::uint32_t& bytesRead) {
    m_io->readOverlapped = OVERLAPPED{};
    m_io->readOverlapped.hEvent = m_io->readEvent;
    DWORD count = 0;
    if (::ReadFile(m_io->port.load(), buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                   &m_io->readOverlapped)) {
        bytesRead = count;
        return ReadStart::Completed;
    }
    return ::GetLastError() == ERROR_IO_PENDING ? ReadStart::Pending : ReadStart::Failed;
}

bool Win32SerialPort::WaitForRead(std::uint32_t milliseconds) {
    return ::WaitForSingleObject(m_io->readEvent, milliseconds) == WAIT_OBJECT_0;
}

SerialPort::ReadResult Win32SerialPort::FetchReadResult(std::uint32_t& bytesRead) {
    DWORD count = 0;
    if (::GetOverlappedResult(m_io->port.load(), &m_io->readOverlapped, &count, FALSE)) {
        bytesRead = count;
        return ReadResult::Done;
    }
    if (::GetLastError() == ERROR_IO_INCOMPLETE) {
        return ReadResult::StillPending;
    }
    // Purged (ERROR_OPERATION_ABORTED) or failed: the read is over. A port
    // that hung up fails every read this way, at once.
    bytesRead = 0;
    return ReadResult::Failed;
}

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
    const HANDLE port = m_io->port.load();
    m_io->writeOverlapped = OVERLAPPED{};
    m_io->writeOverlapped.hEvent = m_io->writeEvent;
    if (::WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                    &m_io->writeOverlapped)) {
        return true;
    }
    if (::GetLastError() == ERROR_IO_PENDING) {
        // The bytes were handed over; how the write ends is not looked at.
        DWORD written = 0;
        ::GetOverlappedResult(port, &m_io->writeOverlapped, &written, TRUE);
        return true;
    }
    DWORD errors = 0;
    ::ClearCommError(port, &errors, nullptr);
    return false;
}

} // namespace platform
