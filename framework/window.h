#pragma once

#include "framework/message_map.h"
#include "platform/canvas.h"
#include "platform/window_port.h"

#include <atomic>
#include <cstdint>

namespace framework {

// A top-level window of the program's own class over the window-system
// port: a message map searched before the base behaviour, paints that go
// to OnPaint, and a loop that runs until EndModalLoop.
class CWnd : public platform::WindowProcedure {
public:
    using WParam = platform::WParam;
    using LParam = platform::LParam;
    using LResult = platform::LResult;

    explicit CWnd(platform::WindowSystem& windows) : m_windows(windows) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window and runs its loop: the result given to
    // EndModalLoop, or -1 when the window could not be made.
    LResult RunModalLoop(const platform::WindowDescription& description);
    bool EndModalLoop(LResult result);
    platform::WindowHandle GetSafeHwnd() const { return m_window.load(); }

    LResult HandleMessage(platform::WindowHandle window, std::uint32_t message, WParam wParam,
                          LParam lParam, bool& handled) final;

protected:
    // False refuses the window.
    virtual bool OnCreate() { return true; }
    // Base: the message map, then paint and close, then default processing.
    virtual LResult WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled);
    // The derived window's map; false when no row matched.
    virtual bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result);
    // Draws the whole client area.
    virtual void OnPaint(platform::Canvas& canvas) { (void)canvas; }
    // Base: ends the loop with 0.
    virtual void OnClose();

    void Invalidate();
    // Starting a running timer restarts its countdown.
    bool SetTimer(std::uintptr_t timerId, std::uint32_t milliseconds);
    bool KillTimer(std::uintptr_t timerId);
    platform::WindowSystem& Windows() const { return m_windows; }

private:
    platform::WindowSystem& m_windows;
    std::atomic<platform::WindowHandle> m_window{platform::kNoWindow};
};

} // namespace framework
