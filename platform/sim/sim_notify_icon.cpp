#include "platform/sim/sim_notify_icon.h"

#include <algorithm>
#include <utility>

namespace platform {

void SimNotifyIcon::Record(Change change, NotifyIconLook look, std::string_view title,
                           std::string_view text, std::uint32_t callback) {
    m_events.push_back(Event{m_clock.TickCount(), change, std::move(look), std::string(title),
                             std::string(text), callback});
}

bool SimNotifyIcon::AddIcon(WindowHandle, std::uint32_t callbackMessage,
                            const NotifyIconLook& look) {
    std::lock_guard guard(m_lock);
    // The shell refuses a second add of the same icon as well.
    if (!m_taskbar || m_current) {
        Record(Change::Refused, look);
        return false;
    }
    m_current = look;
    Record(Change::Added, look, {}, {}, callbackMessage);
    return true;
}

bool SimNotifyIcon::ModifyIcon(WindowHandle, const NotifyIconLook& look) {
    std::lock_guard guard(m_lock);
    if (!m_current) {
        Record(Change::Refused, look);
        return false;
    }
    m_current = look;
    Record(Change::Modified, look);
    return true;
}

bool SimNotifyIcon::ShowBalloon(WindowHandle, std::string_view title, std::string_view text) {
    std::lock_guard guard(m_lock);
    if (!m_current) {
        return false;
    }
    Record(Change::Balloon, {}, title, text);
    return true;
}

void SimNotifyIcon::DeleteIcon(WindowHandle) {
    std::lock_guard guard(m_lock);
    if (m_current) {
        m_current.reset();
        Record(Change::Deleted);
    }
}

std::uint16_t SimNotifyIcon::ShowMenu(WindowHandle, const std::vector<MenuEntry>& entries) {
    std::lock_guard guard(m_lock);
    m_lastMenu = entries;
    if (m_menuChoices.empty()) {
        return 0;
    }
    const std::uint16_t chosen = m_menuChoices.front();
    m_menuChoices.pop_front();
    return chosen;
}

std::optional<std::string> SimNotifyIcon::PickFolder(WindowHandle, std::string_view) {
    std::lock_guard guard(m_lock);
    return m_pickedFolder;
}

std::string SimNotifyIcon::DesktopFolder() {
    std::lock_guard guard(m_lock);
    return m_desktopFolder;
}

std::vector<SimNotifyIcon::Event> SimNotifyIcon::Events() const {
    std::lock_guard guard(m_lock);
    return m_events;
}

std::vector<SimNotifyIcon::Event> SimNotifyIcon::Balloons() const {
    std::lock_guard guard(m_lock);
    std::vector<Event> balloons;
    std::ranges::copy_if(m_events, std::back_inserter(balloons),
                         [](const Event& event) { return event.change == Change::Balloon; });
    return balloons;
}

std::optional<NotifyIconLook> SimNotifyIcon::Current() const {
    std::lock_guard guard(m_lock);
    return m_current;
}

std::vector<MenuEntry> SimNotifyIcon::LastMenu() const {
    std::lock_guard guard(m_lock);
    return m_lastMenu;
}

void SimNotifyIcon::RemoveTaskbar() {
    std::lock_guard guard(m_lock);
    m_taskbar = false;
    m_current.reset();
}

void SimNotifyIcon::RestoreTaskbar() {
    std::lock_guard guard(m_lock);
    m_taskbar = true;
}

void SimNotifyIcon::ChooseFromMenus(std::deque<std::uint16_t> commands) {
    std::lock_guard guard(m_lock);
    m_menuChoices = std::move(commands);
}

void SimNotifyIcon::AnswerFolderPickers(std::optional<std::string> folder) {
    std::lock_guard guard(m_lock);
    m_pickedFolder = std::move(folder);
}

void SimNotifyIcon::SetDesktopFolder(std::string folder) {
    std::lock_guard guard(m_lock);
    m_desktopFolder = std::move(folder);
}

} // namespace platform
