#pragma once

#include "platform/window_handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What the notification area shows for a program: its picture (an icon
// resource of the program) and its tooltip, UTF-8, cut to what the shell
// holds.
struct NotifyIconLook {
    int iconId = 0;
    std::string tooltip;
    friend bool operator==(const NotifyIconLook&, const NotifyIconLook&) = default;
};

// One entry of a popup menu; command 0 is a separator.
struct MenuEntry {
    std::uint16_t command = 0;
    std::string text;
};

// What the user did to the icon, in the low word of the callback message's
// lParam (the shell's newer callback form: keyboard and mouse alike).
namespace notify_event {
inline constexpr std::uint32_t kContextMenu = 0x007B; // right click, Shift+F10, menu key
inline constexpr std::uint32_t kSelect = 0x0400;      // left click
inline constexpr std::uint32_t kKeySelect = 0x0401;   // Enter or space
} // namespace notify_event

// Broadcast, as a registered message, when the taskbar is made again
// (Explorer restarted): every program adds its icon again.
inline constexpr std::string_view kTaskbarCreated = "TaskbarCreated";

// A program's one icon in the notification area, owned by one of its
// windows, and the small shell dialogs that go with it. The calls may wait
// for the shell: make them on the owner's thread only.
class NotifyIconPort {
public:
    virtual ~NotifyIconPort() = default;

    // The shell sends callbackMessage to owner when the user acts on the
    // icon. False when the shell refused it (no taskbar yet, or busy).
    virtual bool AddIcon(WindowHandle owner, std::uint32_t callbackMessage,
                         const NotifyIconLook& look) = 0;
    virtual bool ModifyIcon(WindowHandle owner, const NotifyIconLook& look) = 0;
    virtual bool ShowBalloon(WindowHandle owner, std::string_view title, std::string_view text) = 0;
    virtual void DeleteIcon(WindowHandle owner) = 0;

    // Shows the menu at the pointer until the user chooses; the chosen
    // command, 0 when none.
    virtual std::uint16_t ShowMenu(WindowHandle owner, const std::vector<MenuEntry>& entries) = 0;
    // A folder the user chooses, with its separator; none when cancelled or
    // when no picker can be shown.
    virtual std::optional<std::string> PickFolder(WindowHandle owner, std::string_view title) = 0;
    // The user's desktop folder with its separator; "" when unknown.
    virtual std::string DesktopFolder() = 0;
};

} // namespace platform
