#pragma once

#include "platform/display_port.h"
#include "platform/sim/sim_canvas.h"
#include "platform/sim/sim_clock.h"
#include "platform/window_port.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct PostedMessage {
    std::uint64_t atMs = 0; // virtual time since the desktop was made
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

struct NotificationRegistration {
    WindowHandle window = kNoWindow;
    std::string guidText;
    friend bool operator==(const NotificationRegistration&,
                           const NotificationRegistration&) = default;
};

struct ImageListRecord {
    int cx = 0;
    int cy = 0;
    std::uint32_t flags = 0;
    int initial = 0;
    int grow = 0;
    struct Image {
        int bitmapResourceId = 0;
        std::uint32_t maskColour = 0;
        friend bool operator==(const Image&, const Image&) = default;
    };
    std::vector<Image> images;
    bool destroyed = false;
};

struct ComboItem {
    std::string text;
    int image = -1;
    int selectedImage = -1;
    friend bool operator==(const ComboItem&, const ComboItem&) = default;
};

struct MessageBoxRecord {
    WindowHandle owner = kNoWindow;
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
};

// An in-memory desktop: windows by class and title with message queues,
// window timers on a virtual clock, recorded message boxes. Messages take
// no virtual time; only timers and scheduled actions move the clock. Other
// programs' windows are "logging windows" that record what they are sent.
class SimDesktop : public WindowSystem {
public:
    explicit SimDesktop(SimClock& clock) : m_clock(clock) {}

    // --- find and post ---
    WindowHandle FindWindow(std::string_view className,
                            std::optional<std::string_view> title) override;
    bool PostMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                     LParam lParam) override;
    std::uint32_t RegisterWindowMessage(std::string_view name) override;
    WindowHandle GetForegroundWindow() override;
    // --- windows, loops and paint ---
    int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                   std::uint32_t style) override;
    LResult DialogBoxModal(const DialogTemplate& dialog, WindowHandle parent,
                           WindowProcedure& procedure) override;
    bool EndDialog(WindowHandle dialog, LResult result) override;
    LResult RunWindow(const WindowDescription& description, WindowProcedure& procedure) override;
    bool EndWindow(WindowHandle window, LResult result) override;
    void Invalidate(WindowHandle window) override;
    void Paint(WindowHandle window, const std::function<void(Canvas&)>& draw) override;
    void PaintIconCentred(WindowHandle window, IconHandle icon) override;
    void DefaultPaint(WindowHandle window) override;
    bool ShowWindow(WindowHandle window, int command) override;
    bool IsIconic(WindowHandle window) override;
    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags) override;
    std::uint32_t GetExStyle(WindowHandle window) override;
    void SetExStyle(WindowHandle window, std::uint32_t exStyle) override;
    bool SetWindowText(WindowHandle window, std::string_view text) override;
    // --- timers ---
    bool SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t milliseconds) override;
    bool KillTimer(WindowHandle window, std::uintptr_t timerId) override;
    // --- dialog controls ---
    bool SetDlgItemText(WindowHandle dialog, int controlId, std::string_view text) override;
    std::string GetDlgItemText(WindowHandle dialog, int controlId) override;
    bool CheckDlgButton(WindowHandle dialog, int controlId, bool checked) override;
    bool IsDlgButtonChecked(WindowHandle dialog, int controlId) override;
    bool EnableDlgItem(WindowHandle dialog, int controlId, bool enabled) override;
    bool IsDlgItemEnabled(WindowHandle dialog, int controlId) override;
    bool SetComboSelection(WindowHandle dialog, int controlId, int index) override;
    int GetComboSelection(WindowHandle dialog, int controlId) override;
    ImageListHandle CreateImageList(int cx, int cy, std::uint32_t flags, int initial,
                                    int grow) override;
    int AddMaskedBitmap(ImageListHandle list, int bitmapResourceId,
                        std::uint32_t maskColour) override;
    void DestroyImageList(ImageListHandle list) override;
    bool SetComboImageList(WindowHandle dialog, int controlId, ImageListHandle list) override;
    int InsertComboItem(WindowHandle dialog, int controlId, int index, std::string_view text,
                        int image, int selectedImage) override;
    void InitCommonControls(std::uint32_t classes) override;
    IconHandle LoadAppIcon(int resourceId) override;
    void SetIcon(WindowHandle window, IconHandle icon, bool big) override;
    // --- device notifications ---
    bool RegisterInterfaceNotification(WindowHandle window, std::string_view guidText) override;
    std::optional<DeviceInterfaceEvent> DecodeDeviceBroadcast(WParam event, LParam record) override;

    // --- the test's side ---
    // A window of another program that records every message posted to it.
    WindowHandle CreateLoggingWindow(std::string className, std::string title);
    void DestroyWindow(WindowHandle window);
    bool IsWindowVisible(WindowHandle window);
    std::vector<PostedMessage> MessagesTo(WindowHandle window) const;
    std::vector<MessageBoxRecord> MessageBoxes() const;
    void AnswerMessageBoxesWith(int buttonId) { m_messageBoxAnswer = buttonId; }
    // A message box stays up this long before it is answered, running the
    // caller's messages and timers meanwhile, as a real one does.
    void KeepMessageBoxesOpenFor(std::uint64_t ms) { m_messageBoxOpenMs = ms; }
    void SetForegroundWindow(WindowHandle window);
    int CountWindows(std::string_view className, std::string_view title) const;
    IconHandle GetIcon(WindowHandle window, bool big) const;
    bool HasTimer(WindowHandle window, std::uintptr_t timerId) const;
    // Messages of this number posted to the window so far, dispatched or
    // not: a post from another thread counts here at once.
    int PostCount(WindowHandle window, std::uint32_t message) const;
    std::uint32_t CommonControlClasses() const { return m_commonControls; }
    int IconPaints() const { return m_iconPaints; }
    std::vector<ImageListRecord> ImageLists() const;
    std::vector<ComboItem> ComboItems(WindowHandle dialog, int controlId) const;
    ImageListHandle ComboImageList(WindowHandle dialog, int controlId) const;
    // "" for no such window.
    std::string WindowTitle(WindowHandle window) const;
    // Where the window lies on the desktop; empty for no such window.
    DesktopRect WindowBounds(WindowHandle window) const;
    // A user's click on a button (BM_CLICK): an automatic radio button checks
    // itself and clears the other automatic radio buttons of its group, then
    // the owner gets the clicked notification. Ignored while disabled.
    void ClickButton(WindowHandle dialog, int controlId);
    // A user's pick in a drop-down list; ignored while disabled.
    void ChooseComboItem(WindowHandle dialog, int controlId, int index);
    // A broadcast's record (an lParam) of a device of this type and name.
    LParam MakeBroadcastRecord(std::uint32_t deviceType, std::string name);
    // Sends WM_DEVICECHANGE with a record of the broadcast; the handler's result.
    LResult SendDeviceChange(WindowHandle window, std::uint32_t eventCode, std::uint32_t deviceType,
                             std::string interfaceName);
    std::vector<NotificationRegistration> Registrations() const;

    // Runs action when the virtual clock reaches now + delayMs, inside
    // whatever message loop is running then.
    void At(std::uint64_t delayMs, std::function<void()> action);
    // The keyboard as the dialog manager sees it: Enter reaches the default
    // push button (IDOK when there is none), Escape reaches IDCANCEL. A
    // window that is no dialog gets the key itself.
    void PressEnter(WindowHandle dialog);
    void PressEscape(WindowHandle dialog);
    // A left click at a point of the window's client area: button down, then up.
    void ClickAt(WindowHandle window, Point point);
    // What the window's latest paint drew.
    std::vector<DrawnShape> Picture(WindowHandle window) const;
    // Modal loops give up (returning -1) once the clock passes this bound,
    // so that a dialog whose timers never stop cannot hang a test.
    void SetModalTimeLimit(std::uint64_t limitMs) { m_modalLimitMs = limitMs; }
    std::uint64_t NowMs() const;

private:
    struct Control {
        ControlTemplate source;
        std::string text;
        bool checked = false;
        bool enabled = true;
        int comboSelection = -1;
        std::vector<ComboItem> items;
        ImageListHandle imageList = 0;
    };
    struct Window {
        std::vector<int> controlOrder; // as the template lists them
        std::string className;
        std::string title;
        std::uint32_t style = 0;
        std::uint32_t exStyle = 0;
        bool visible = false;
        bool iconic = false;
        int x = 0, y = 0, cx = 0, cy = 0;
        std::map<int, Control> controls;
        WindowProcedure* procedure = nullptr;
        bool ended = false;
        LResult endResult = 0;
        IconHandle bigIcon = 0;
        IconHandle smallIcon = 0;
        bool logging = false;
        std::vector<PostedMessage> log;
        // A window of RunWindow rather than a dialog.
        bool plain = false;
        bool needsPaint = false;
        std::vector<DrawnShape> picture;
    };
    struct Timer {
        std::uint64_t period = 0;
        std::uint64_t due = 0;
    };
    struct Scheduled {
        std::uint64_t due = 0;
        std::uint64_t sequence = 0;
        std::function<void()> action;
    };
    struct Queued {
        WindowHandle window = kNoWindow;
        std::uint32_t message = 0;
        WParam wParam = 0;
        LParam lParam = 0;
    };

    Window* Find(WindowHandle window);
    const Window* Find(WindowHandle window) const;
    Control* FindControl(WindowHandle dialog, int controlId);
    ImageListRecord* FindImageList(ImageListHandle list);
    LResult Send(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
    void DefaultProcessing(WindowHandle window, std::uint32_t message, WParam wParam);
    bool DispatchOne();
    // Moves the clock to the next timer or scheduled action, no further than
    // limitMs; false when nothing is due by then.
    bool AdvanceToNextEvent(std::uint64_t limitMs);
    // Runs the window's loop until it ends; -1 when it cannot go on.
    LResult RunLoop(WindowHandle handle);
    void DestroyOwnWindow(WindowHandle handle);
    // Paints one window that asked for it, as the queue does once it is empty.
    bool PaintOne();

    SimClock& m_clock;
    mutable std::recursive_mutex m_mutex;
    std::map<WindowHandle, Window> m_windows;
    std::vector<WindowHandle> m_zOrder; // top first
    WindowHandle m_nextHandle = 0x10010;
    std::deque<Queued> m_queue;
    std::map<std::pair<WindowHandle, std::uintptr_t>, Timer> m_timers;
    std::vector<Scheduled> m_scheduled;
    std::uint64_t m_nextSequence = 0;
    std::uint64_t m_elapsedMs = 0;
    std::map<std::string, std::uint32_t> m_registered;
    std::vector<MessageBoxRecord> m_messageBoxes;
    int m_messageBoxAnswer = 1;
    std::uint64_t m_messageBoxOpenMs = 0;
    std::map<std::pair<WindowHandle, std::uint32_t>, int> m_postCounts;
    WindowHandle m_foreground = kNoWindow;
    std::uint64_t m_modalLimitMs = 3'600'000;
    std::uint32_t m_commonControls = 0;
    int m_iconPaints = 0;
    std::vector<NotificationRegistration> m_registrations;
    std::map<LParam, DeviceInterfaceEvent> m_broadcastRecords;
    std::vector<ImageListRecord> m_imageLists;
};

} // namespace platform
