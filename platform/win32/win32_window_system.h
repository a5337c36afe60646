#pragma once

#include "platform/window_port.h"

namespace platform {

class Win32WindowSystem final : public WindowSystem {
public:
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

private:
    // The latest registration's handle; registrations last as long as the window.
    void* m_deviceNotification = nullptr;
};

} // namespace platform
