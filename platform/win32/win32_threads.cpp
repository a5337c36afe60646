#include <windows.h>

#include "platform/win32/win32_threads.h"

namespace platform {
namespace {

DWORD WINAPI ThreadStart(LPVOID parameter) {
    const std::unique_ptr<std::function<int()>> body(static_cast<std::function<int()>*>(parameter));
    return static_cast<DWORD>((*body)());
}

class Win32Thread final : public Thread {
public:
    Win32Thread(HANDLE handle, std::function<int()>* body) : m_handle(handle), m_body(body) {}
    ~Win32Thread() override {
        if (!m_resumed) {
            // Never ran: end it and free what it would have freed.
            ::TerminateThread(m_handle, 0);
            delete m_body;
        }
        ::CloseHandle(m_handle);
    }
    Win32Thread(const Win32Thread&) = delete;
    Win32Thread& operator=(const Win32Thread&) = delete;

    void Resume() override {
        if (!m_resumed) {
            m_resumed = true;
            ::ResumeThread(m_handle);
        }
    }
    bool WaitForEnd(std::uint32_t milliseconds) override {
        return ::WaitForSingleObject(m_handle, milliseconds) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_handle;
    std::function<int()>* m_body;
    bool m_resumed = false;
};

} // namespace

std::unique_ptr<Thread> Win32ThreadPort::CreateSuspended(std::function<int()> body) {
    auto* context = new std::function<int()>(std::move(body));
    const HANDLE handle =
        ::CreateThread(nullptr, 0, ThreadStart, context, CREATE_SUSPENDED, nullptr);
    if (handle == nullptr) {
        delete context;
        return nullptr;
    }
    return std::make_unique<Win32Thread>(handle, context);
}

} // namespace platform
