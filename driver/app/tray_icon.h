#pragma once

#include "driver/state/dialog_timers.h"
#include "driver/state/tray_texts.h"
#include "platform/clock_port.h"
#include "platform/notify_icon_port.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace driver {

enum class BoardLink : std::uint8_t { None, Serial, Hid };

// What the icon tells, as the dialog thread sees it.
struct TrayStatus {
    BoardLink link = BoardLink::None;
    std::string port; // the serial link's port
    bool calibrating = false;
    bool dualPen = false;
    std::string lastFailure; // why there is no link, as the trace last said
    friend bool operator==(const TrayStatus&, const TrayStatus&) = default;
};

// The picture and the tooltip for a status: calibration first, then
// dual-pen mode, then the link.
platform::NotifyIconLook LookOf(const TrayStatus& status, const TrayTexts& texts);

// text with its first "%1" replaced by value.
std::string FillIn(std::string_view text, std::string_view value);

// The driver's icon in the notification area: it shows the status, says in
// a balloon when the board comes or goes (one balloon per kBalloonGapMs at
// most, the latest state winning), and comes back when the taskbar does.
// Dialog thread only: the shell may keep a call waiting.
class TrayIcon {
public:
    static constexpr std::uint32_t kBalloonGapMs = timer::kTrayBalloon.periodMs;

    TrayIcon(platform::NotifyIconPort& shell, platform::ClockPort& clock, DialogTimers& timers)
        : m_shell(shell), m_clock(clock), m_timers(timers) {}

    void SetTexts(TrayTexts texts) { m_texts = std::move(texts); }
    void Show(platform::WindowHandle owner, std::uint32_t callbackMessage,
              const TrayStatus& status);
    void Update(const TrayStatus& status);
    void OnBalloonTimer();
    // The taskbar was made again (Explorer restarted): its icons are gone.
    void OnTaskbarCreated();
    void Remove();

    bool Shown() const { return m_owner != platform::kNoWindow; }
    const TrayTexts& Texts() const { return m_texts; }
    // The menu's entries, by the dialog's command numbers.
    std::vector<platform::MenuEntry> MenuEntries() const;
    // Shows the menu; the chosen command, 0 for none.
    std::uint16_t ShowMenu();

private:
    void Add();
    void BalloonIfDue();

    platform::NotifyIconPort& m_shell;
    platform::ClockPort& m_clock;
    DialogTimers& m_timers;
    TrayTexts m_texts;
    platform::WindowHandle m_owner = platform::kNoWindow;
    std::uint32_t m_callbackMessage = 0;
    bool m_added = false;
    TrayStatus m_status;
    platform::NotifyIconLook m_look;
    // The link as the last balloon told it, and when.
    bool m_announcedConnected = false;
    bool m_balloonShown = false;
    std::uint32_t m_balloonAt = 0;
    bool m_balloonWaiting = false;
};

} // namespace driver
