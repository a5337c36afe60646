#pragma once

#include "platform/canvas.h"
#include "platform/device_notification_port.h"
#include "platform/dialog_controls_port.h"
#include "platform/dialog_template.h"
#include "platform/message_port.h"
#include "platform/timer_port.h"
#include "platform/window_handles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// A top-level window of the program's own class.
struct WindowDescription {
    std::string className; // registered at the first window of the class
    std::string title;     // UTF-8
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// The messages of one window, as the framework handles them.
class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;

    // handled false leaves the message to the window system's default
    // processing.
    virtual LResult HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam, bool& handled) = 0;
};

// This program's own windows: dialogs and windows with their loops, their
// look and place, and their paint. All texts are UTF-8.
class WindowPort {
public:
    virtual ~WindowPort() = default;

    // Blocks until answered; returns the button's identifier, 0 on failure.
    virtual int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                           std::uint32_t style) = 0;

    // Creates the dialog, sends it the initialisation message and runs its
    // modal loop until EndDialog; -1 when it cannot be created.
    virtual LResult DialogBoxModal(const DialogTemplate& dialog, WindowHandle parent,
                                   WindowProcedure& procedure) = 0;
    virtual bool EndDialog(WindowHandle dialog, LResult result) = 0;

    // Creates the window and sends it the creation message (a result of -1
    // refuses it), shows it in front and runs its message loop until
    // EndWindow; that result, or -1 when it could not be created.
    virtual LResult RunWindow(const WindowDescription& description, WindowProcedure& procedure) = 0;
    // On the window's thread: its loop ends and the window goes.
    virtual bool EndWindow(WindowHandle window, LResult result) = 0;
    // Asks for the whole client area to be painted again.
    virtual void Invalidate(WindowHandle window) = 0;
    // Answers a paint request: draw paints the client area, all of it.
    virtual void Paint(WindowHandle window, const std::function<void(Canvas&)>& draw) = 0;
    // The minimised window's paint: erase the icon background, then draw the
    // icon centred in the client area.
    virtual void PaintIconCentred(WindowHandle window, IconHandle icon) = 0;
    // What a plain dialog does on a paint request: validate and draw nothing.
    virtual void DefaultPaint(WindowHandle window) = 0;

    virtual bool ShowWindow(WindowHandle window, int command) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    // Position, size and z-order: insertAfter 0 is the top.
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                              int cy, std::uint32_t flags) = 0;
    virtual std::uint32_t GetExStyle(WindowHandle window) = 0;
    virtual void SetExStyle(WindowHandle window, std::uint32_t exStyle) = 0;
    virtual bool SetWindowText(WindowHandle window, std::string_view text) = 0;
};

// The whole window system as one object, which the program's entry builds
// and hands out; each component takes only the roles it uses.
class WindowSystem : public WindowPort,
                     public MessagePort,
                     public TimerPort,
                     public DialogControlsPort,
                     public DeviceNotificationPort {};

} // namespace platform
