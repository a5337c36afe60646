#pragma once

#include "platform/canvas.h"
#include "platform/dialog_template.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Opaque window and icon handles; 0 is none.
using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using ImageListHandle = std::uintptr_t;

inline constexpr WindowHandle kNoWindow = 0;

// What a device broadcast (WM_DEVICECHANGE) reports. interfaceName is set
// only for device-interface records.
struct DeviceInterfaceEvent {
    std::uint32_t eventCode = 0;
    std::uint32_t deviceType = 0;
    std::string interfaceName;
};

namespace dbt {
inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDevTypVolume = 2;
inline constexpr std::uint32_t kDevTypPort = 3;
inline constexpr std::uint32_t kDevTypDeviceInterface = 5;
} // namespace dbt

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

// The window system: windows of this and other programs, messages, timers,
// dialogs and message boxes. All texts are UTF-8.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A top-level window by class, and by title when one is given.
    virtual WindowHandle FindWindow(std::string_view className,
                                    std::optional<std::string_view> title) = 0;
    // A post to no window (0) goes nowhere and returns false.
    virtual bool PostMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) = 0;
    // 0 when the name cannot be registered.
    virtual std::uint32_t RegisterWindowMessage(std::string_view name) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
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

    // Starting a running timer restarts its countdown.
    virtual bool SetTimer(WindowHandle window, std::uintptr_t timerId,
                          std::uint32_t milliseconds) = 0;
    virtual bool KillTimer(WindowHandle window, std::uintptr_t timerId) = 0;

    virtual bool ShowWindow(WindowHandle window, int command) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    // Position, size and z-order: insertAfter 0 is the top.
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                              int cy, std::uint32_t flags) = 0;
    virtual std::uint32_t GetExStyle(WindowHandle window) = 0;
    virtual void SetExStyle(WindowHandle window, std::uint32_t exStyle) = 0;

    virtual bool SetWindowText(WindowHandle window, std::string_view text) = 0;
    virtual bool SetDlgItemText(WindowHandle dialog, int controlId, std::string_view text) = 0;
    virtual std::string GetDlgItemText(WindowHandle dialog, int controlId) = 0;
    virtual bool CheckDlgButton(WindowHandle dialog, int controlId, bool checked) = 0;
    virtual bool IsDlgButtonChecked(WindowHandle dialog, int controlId) = 0;
    virtual bool EnableDlgItem(WindowHandle dialog, int controlId, bool enabled) = 0;
    virtual bool IsDlgItemEnabled(WindowHandle dialog, int controlId) = 0;
    // -1 is no selection.
    virtual bool SetComboSelection(WindowHandle dialog, int controlId, int index) = 0;
    virtual int GetComboSelection(WindowHandle dialog, int controlId) = 0;

    // A list of equally sized pictures (ILC_* flags); 0 when it cannot be made.
    virtual ImageListHandle CreateImageList(int cx, int cy, std::uint32_t flags, int initial,
                                            int grow) = 0;
    // Adds the program's bitmap resource; pixels of maskColour (0x00BBGGRR)
    // become transparent. The index of the image added, -1 on failure.
    virtual int AddMaskedBitmap(ImageListHandle list, int bitmapResourceId,
                                std::uint32_t maskColour) = 0;
    virtual void DestroyImageList(ImageListHandle list) = 0;
    // The pictures of an extended combo box; the list stays the caller's.
    virtual bool SetComboImageList(WindowHandle dialog, int controlId, ImageListHandle list) = 0;
    // An item of an extended combo box with its picture and the picture shown
    // while it is selected; the index it got, -1 on failure.
    virtual int InsertComboItem(WindowHandle dialog, int controlId, int index,
                                std::string_view text, int image, int selectedImage) = 0;

    // Registers the common control classes (an ICC_* set) before dialogs use them.
    virtual void InitCommonControls(std::uint32_t classes) = 0;

    // The program's icon resource; 0 when missing.
    virtual IconHandle LoadAppIcon(int resourceId) = 0;
    virtual void SetIcon(WindowHandle window, IconHandle icon, bool big) = 0;
    // The minimised window's paint: erase the icon background, then draw the
    // icon centred in the client area.
    virtual void PaintIconCentred(WindowHandle window, IconHandle icon) = 0;
    // What a plain dialog does on a paint request: validate and draw nothing.
    virtual void DefaultPaint(WindowHandle window) = 0;

    // Arrival and removal broadcasts of one device-interface class (GUID
    // text without braces) to the window; false when not registered.
    virtual bool RegisterInterfaceNotification(WindowHandle window, std::string_view guidText) = 0;
    // The record behind a WM_DEVICECHANGE; none for events without one.
    virtual std::optional<DeviceInterfaceEvent> DecodeDeviceBroadcast(WParam event,
                                                                      LParam record) = 0;
};

} // namespace platform
