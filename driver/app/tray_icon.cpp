#include "driver/app/tray_icon.h"

#include "driver/app/dravik_ids.h"

#include <utility>

namespace driver {

std::string FillIn(std::string_view text, std::string_view value) {
    std::string filled(text);
    const std::size_t at = filled.find("%1");
    if (at != std::string::npos) {
        filled.replace(at, 2, value);
    }
    return filled;
}

namespace {

// The link opens the port by its device path; people know it as "COM7".
std::string_view PortForPeople(std::string_view port) {
    constexpr std::string_view kDevicePrefix = "\\\\.\\";
    if (port.starts_with(kDevicePrefix)) {
        port.remove_prefix(kDevicePrefix.size());
    }
    return port;
}

} // namespace

platform::NotifyIconLook LookOf(const TrayStatus& status, const TrayTexts& texts) {
    if (status.calibrating) {
        return {kTrayCalibratingIconId, texts.calibrating};
    }
    if (status.dualPen && status.link != BoardLink::None) {
        return {kTrayDualPenIconId, texts.dualPen};
    }
    switch (status.link) {
    case BoardLink::Serial:
        return {kTrayConnectedIconId, FillIn(texts.connectedSerial, PortForPeople(status.port))};
    case BoardLink::Hid:
        return {kTrayConnectedIconId, texts.connectedHid};
    case BoardLink::None:
        break;
    }
    return {kTrayNotConnectedIconId, status.lastFailure.empty()
                                         ? texts.notConnected
                                         : FillIn(texts.notConnectedWhy, status.lastFailure)};
}

void TrayIcon::Show(platform::WindowHandle owner, std::uint32_t callbackMessage,
                    const TrayStatus& status) {
    m_owner = owner;
    m_callbackMessage = callbackMessage;
    m_status = status;
    m_look = LookOf(status, m_texts);
    // Nothing to announce for the state the driver starts in.
    m_announcedConnected = status.link != BoardLink::None;
    Add();
}

void TrayIcon::Add() {
    // The taskbar may not be there yet (early in a logon): it says when it
    // is. One that kept the icon refuses a second add but takes a change.
    m_added =
        m_shell.AddIcon(m_owner, m_callbackMessage, m_look) || m_shell.ModifyIcon(m_owner, m_look);
}

void TrayIcon::Update(const TrayStatus& status) {
    if (!Shown() || status == m_status) {
        return;
    }
    const bool linkChanged = (status.link == BoardLink::None) != (m_status.link == BoardLink::None);
    m_status = status;
    platform::NotifyIconLook look = LookOf(status, m_texts);
    if (look != m_look) {
        m_look = std::move(look);
        if (m_added) {
            m_shell.ModifyIcon(m_owner, m_look);
        }
    }
    if (linkChanged) {
        BalloonIfDue();
    }
}

void TrayIcon::BalloonIfDue() {
    const bool connected = m_status.link != BoardLink::None;
    if (connected == m_announcedConnected) {
        return;
    }
    const std::uint32_t now = m_clock.TickCount();
    if (m_balloonShown && now - m_balloonAt < kBalloonGapMs) {
        if (!m_balloonWaiting) {
            m_balloonWaiting = true;
            m_timers.Start(timer::kTrayBalloon);
        }
        return;
    }
    if (m_balloonWaiting) {
        m_balloonWaiting = false;
        m_timers.Stop(timer::kTrayBalloon);
    }
    m_announcedConnected = connected;
    m_balloonShown = true;
    m_balloonAt = now;
    if (m_added) {
        m_shell.ShowBalloon(m_owner, m_texts.caption,
                            connected ? m_texts.connected : m_texts.disconnected);
    }
}

void TrayIcon::OnBalloonTimer() {
    m_balloonWaiting = false;
    m_timers.Stop(timer::kTrayBalloon);
    if (Shown()) {
        BalloonIfDue();
    }
}

void TrayIcon::OnTaskbarCreated() {
    if (Shown()) {
        Add();
    }
}

void TrayIcon::Remove() {
    if (m_added) {
        m_shell.DeleteIcon(m_owner);
    }
    if (m_balloonWaiting) {
        m_balloonWaiting = false;
        m_timers.Stop(timer::kTrayBalloon);
    }
    m_added = false;
    m_owner = platform::kNoWindow;
}

std::vector<platform::MenuEntry> TrayIcon::MenuEntries() const {
    return {
        {kTrayCalibrateCommand, m_texts.calibrate},
        {kTrayPenButtonsCommand, m_texts.penButtons},
        {kTrayDiagnosticsCommand, m_texts.saveDiagnostics},
        {0, {}},
        {kTrayAboutCommand, m_texts.about},
        {kTrayExitCommand, m_texts.exit},
    };
}

std::uint16_t TrayIcon::ShowMenu() {
    return Shown() ? m_shell.ShowMenu(m_owner, MenuEntries()) : std::uint16_t{0};
}

} // namespace driver
