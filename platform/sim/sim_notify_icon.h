#pragma once

#include "platform/clock_port.h"
#include "platform/notify_icon_port.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The notification area of a simulated desktop: it keeps each icon's
// history and the balloons, and answers menus and folder pickers from
// what a test scripted.
class SimNotifyIcon final : public NotifyIconPort {
public:
    enum class Change : std::uint8_t { Added, Modified, Deleted, Balloon, Refused };

    struct Event {
        std::uint32_t atMs = 0;
        Change change = Change::Added;
        NotifyIconLook look; // Added, Modified
        std::string title;   // Balloon
        std::string text;    // Balloon
        std::uint32_t callback = 0;
    };

    explicit SimNotifyIcon(ClockPort& clock) : m_clock(clock) {}

    bool AddIcon(WindowHandle owner, std::uint32_t callbackMessage,
                 const NotifyIconLook& look) override;
    bool ModifyIcon(WindowHandle owner, const NotifyIconLook& look) override;
    bool ShowBalloon(WindowHandle owner, std::string_view title, std::string_view text) override;
    void DeleteIcon(WindowHandle owner) override;
    std::uint16_t ShowMenu(WindowHandle owner, const std::vector<MenuEntry>& entries) override;
    std::optional<std::string> PickFolder(WindowHandle owner, std::string_view title) override;
    std::string DesktopFolder() override;

    std::vector<Event> Events() const;
    std::vector<Event> Balloons() const;
    // The icon as the notification area shows it now; none when it has none.
    std::optional<NotifyIconLook> Current() const;
    // The last menu shown.
    std::vector<MenuEntry> LastMenu() const;

    // The explorer went away: the icons are gone and adds are refused until
    // it is back.
    void RemoveTaskbar();
    void RestoreTaskbar();
    // Menus answer with these commands in turn, then with none.
    void ChooseFromMenus(std::deque<std::uint16_t> commands);
    // Folder pickers answer this; none is a cancel.
    void AnswerFolderPickers(std::optional<std::string> folder);
    void SetDesktopFolder(std::string folder);

private:
    void Record(Change change, NotifyIconLook look = {}, std::string_view title = {},
                std::string_view text = {}, std::uint32_t callback = 0);

    ClockPort& m_clock;
    mutable std::mutex m_lock;
    std::vector<Event> m_events;
    std::optional<NotifyIconLook> m_current;
    bool m_taskbar = true;
    std::vector<MenuEntry> m_lastMenu;
    std::deque<std::uint16_t> m_menuChoices;
    std::optional<std::string> m_pickedFolder;
    std::string m_desktopFolder;
};

} // namespace platform
