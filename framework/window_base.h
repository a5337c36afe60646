#pragma once

#include "framework/message_map.h"
#include "platform/window_port.h"

#include <atomic>
#include <cstdint>

namespace framework {

// What a dialog and a top-level window share: the handle, which the first
// message brings and the end of the loop takes away, timers, repainting,
// showing, and a window procedure that searches the derived class's message
// map before the class's own behaviour.
class CWindowBase : public platform::WindowProcedure {
public:
    using WParam = platform::WParam;
    using LParam = platform::LParam;
    using LResult = platform::LResult;

    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;

    platform::WindowHandle GetSafeHwnd() const { return m_window.load(); }

    LResult HandleMessage(platform::WindowHandle window, std::uint32_t message, WParam wParam,
                          LParam lParam, bool& handled) final;

protected:
    // firstMessage: the one that brings the handle, WM_CREATE or WM_INITDIALOG.
    CWindowBase(platform::WindowSystem& windows, std::uint32_t firstMessage)
        : m_windows(windows), m_firstMessage(firstMessage) {}
    ~CWindowBase() override = default;

    // The answer to the first message; the handle is known by then.
    virtual LResult OnFirstMessage() = 0;
    // Base: the message map, then the class's behaviour.
    virtual LResult WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled);
    // The derived class's map; false when no row matched.
    virtual bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result);
    // What the class does with a message no row matched; handled false
    // leaves it to default processing.
    virtual LResult ClassBehaviour(std::uint32_t message, WParam wParam, LParam lParam,
                                   bool& handled);

    // The loop has ended and the window with it.
    void ForgetWindow() { m_window = platform::kNoWindow; }

    platform::WindowSystem& Windows() const { return m_windows; }
    void Invalidate();
    // Starting a running timer restarts its countdown.
    bool SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds);
    bool KillTimer(std::uintptr_t timerId);
    bool ShowWindow(int command);
    bool SetWindowPos(platform::WindowHandle insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags);
    void ModifyStyleEx(std::uint32_t remove, std::uint32_t add);
    bool IsIconic() const;

private:
    platform::WindowSystem& m_windows;
    const std::uint32_t m_firstMessage;
    // Read by other threads when they post to the window.
    std::atomic<platform::WindowHandle> m_window{platform::kNoWindow};
};

} // namespace framework
