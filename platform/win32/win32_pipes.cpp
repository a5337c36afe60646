#include <windows.h>

#include "platform/win32/win32_ipc.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace platform {
namespace {

class Win32PipeEnd final : public PipeServer {
public:
    Win32PipeEnd(HANDLE handle, std::string name, TracePort& trace)
        : m_handle(handle), m_name(std::move(name)), m_trace(trace),
          m_writeEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_readEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_connectEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_cancelEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_receiveCancelEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    ~Win32PipeEnd() override {
        if (m_writing) {
            // The system writes into the record until the write has ended.
            ::CancelIoEx(m_handle, &m_writeRecord);
            DWORD ignored = 0;
            ::GetOverlappedResult(m_handle, &m_writeRecord, &ignored, TRUE);
        }
        ::CloseHandle(m_handle);
        for (HANDLE event :
             {m_writeEvent, m_readEvent, m_connectEvent, m_cancelEvent, m_receiveCancelEvent}) {
            if (event != nullptr) {
                ::CloseHandle(event);
            }
        }
    }
    Win32PipeEnd(const Win32PipeEnd&) = delete;
    Win32PipeEnd& operator=(const Win32PipeEnd&) = delete;

    bool Usable() const {
        return m_writeEvent != nullptr && m_readEvent != nullptr && m_connectEvent != nullptr &&
               m_cancelEvent != nullptr && m_receiveCancelEvent != nullptr;
    }

    bool WaitForClient() override {
        if (::WaitForSingleObject(m_cancelEvent, 0) == WAIT_OBJECT_0) {
            return false;
        }
        OVERLAPPED record{};
        record.hEvent = m_connectEvent;
        if (::ConnectNamedPipe(m_handle, &record)) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            return true; // the client came before the wait
        }
        if (error != ERROR_IO_PENDING) {
            m_trace.Failure("ConnectNamedPipe", error, m_name);
            return false;
        }
        const HANDLE events[2] = {m_connectEvent, m_cancelEvent};
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) {
            ::CancelIoEx(m_handle, &record);
        }
        DWORD ignored = 0;
        const BOOL connected = ::GetOverlappedResult(m_handle, &record, &ignored, TRUE);
        if (!connected && woken == WAIT_OBJECT_0) {
            m_trace.Failure("ConnectNamedPipe", ::GetLastError(), m_name);
        }
        return connected && woken == WAIT_OBJECT_0;
    }

    void CancelWait() override { ::SetEvent(m_cancelEvent); }

    int TrySend(std::span<const std::uint8_t> bytes) override {
        if (m_writing) {
            DWORD written = 0;
            if (!::GetOverlappedResult(m_handle, &m_writeRecord, &written, FALSE)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_IO_INCOMPLETE) {
                    return 0;
                }
                Trouble("WriteFile", error);
            }
            m_writing = false;
        }
        // The pipe holds on to the bytes until the write ends: ours, not the caller's.
        const auto count = std::min(bytes.size(), m_writeBuffer.size());
        std::memcpy(m_writeBuffer.data(), bytes.data(), count);
        m_writeRecord = OVERLAPPED{};
        m_writeRecord.hEvent = m_writeEvent;
        if (::WriteFile(m_handle, m_writeBuffer.data(), static_cast<DWORD>(count), nullptr,
                        &m_writeRecord)) {
            return static_cast<int>(count);
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            // Taken: the peer reads it once it reads again.
            m_writing = true;
            return static_cast<int>(count);
        }
        Trouble("WriteFile", error);
        return kFailed;
    }

    bool WaitWritable(std::uint32_t milliseconds) override {
        if (!m_writing || ::WaitForSingleObject(m_writeEvent, milliseconds) == WAIT_OBJECT_0) {
            return true;
        }
        Trouble("WriteFile", WAIT_TIMEOUT);
        return false;
    }

    int Receive(std::span<std::uint8_t> buffer) override {
        if (::WaitForSingleObject(m_receiveCancelEvent, 0) == WAIT_OBJECT_0) {
            return 0;
        }
        OVERLAPPED record{};
        record.hEvent = m_readEvent;
        DWORD count = 0;
        if (!::ReadFile(m_handle, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                        &record) &&
            ::GetLastError() != ERROR_IO_PENDING) {
            ReadFailed(::GetLastError());
            return 0;
        }
        const HANDLE events[2] = {m_readEvent, m_receiveCancelEvent};
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) {
            // The record is on this stack: the read must be over before it goes.
            ::CancelIoEx(m_handle, &record);
            ::GetOverlappedResult(m_handle, &record, &count, TRUE);
            return 0;
        }
        if (!::GetOverlappedResult(m_handle, &record, &count, TRUE)) {
            ReadFailed(::GetLastError());
            return 0;
        }
        return static_cast<int>(count);
    }

    void CancelReceive() override { ::SetEvent(m_receiveCancelEvent); }

private:
    // A peer that stays away, or reads a little now and then, must not flood the trace.
    void Trouble(std::string_view call, DWORD error) {
        const DWORD now = ::GetTickCount();
        if (!m_troubleReported || now - m_troubleReportedAt >= kTroubleQuietMs) {
            m_troubleReported = true;
            m_troubleReportedAt = now;
            m_trace.Failure(call, error, m_name);
        }
    }

    void ReadFailed(DWORD error) {
        // A peer that closed its end ends the stream; that is no failure.
        if (error != ERROR_BROKEN_PIPE) {
            m_trace.Failure("ReadFile", error, m_name);
        }
    }

    HANDLE m_handle;
    std::string m_name;
    TracePort& m_trace;
    HANDLE m_writeEvent;
    HANDLE m_readEvent;
    HANDLE m_connectEvent;
    HANDLE m_cancelEvent;
    HANDLE m_receiveCancelEvent;
    // The writing thread's alone.
    OVERLAPPED m_writeRecord{};
    bool m_writing = false;
    bool m_troubleReported = false;
    DWORD m_troubleReportedAt = 0;
    std::array<std::uint8_t, 256> m_writeBuffer{};
};

std::unique_ptr<Win32PipeEnd> Wrap(HANDLE handle, const std::string& name, TracePort& trace) {
    auto end = std::make_unique<Win32PipeEnd>(handle, name, trace);
    if (!end->Usable()) {
        trace.Failure("CreateEventA", ::GetLastError(), name);
        return nullptr;
    }
    return end;
}

} // namespace

std::unique_ptr<PipeServer> Win32IpcPort::CreatePipeServer(const std::string& name,
                                                           const PipeServerSettings& settings) {
    // Overlapped, so that the wait and the writes can end early; otherwise
    // the settings as given, byte stream and byte reading.
    const HANDLE handle = ::CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, settings.maxInstances,
        settings.outBufferSize, settings.inBufferSize, settings.defaultTimeoutMs, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_trace.Failure("CreateNamedPipeA", ::GetLastError(), name);
        return nullptr;
    }
    return Wrap(handle, name, m_trace);
}

std::unique_ptr<StreamEnd> Win32IpcPort::OpenPipeClient(const std::string& name) {
    const HANDLE handle =
        ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_trace.Failure("CreateFileA", ::GetLastError(), name);
        return nullptr;
    }
    return Wrap(handle, name, m_trace);
}

} // namespace platform
