#pragma once

#include "platform/notify_icon_port.h"
#include "platform/trace_port.h"

namespace platform {

// The program's one icon in the notification area (Shell_NotifyIconW, the
// newer callback form), its menu and the shell's folder picker.
class Win32NotifyIcon final : public NotifyIconPort {
public:
    explicit Win32NotifyIcon(TracePort& trace) : m_trace(trace) {}

    bool AddIcon(WindowHandle owner, std::uint32_t callbackMessage,
                 const NotifyIconLook& look) override;
    bool ModifyIcon(WindowHandle owner, const NotifyIconLook& look) override;
    bool ShowBalloon(WindowHandle owner, std::string_view title, std::string_view text) override;
    void DeleteIcon(WindowHandle owner) override;
    std::uint16_t ShowMenu(WindowHandle owner, const std::vector<MenuEntry>& entries) override;
    std::optional<std::string> PickFolder(WindowHandle owner, std::string_view title) override;
    std::string DesktopFolder() override;

private:
    TracePort& m_trace;
};

} // namespace platform
