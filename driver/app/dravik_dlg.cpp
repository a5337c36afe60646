#include "driver/app/dravik_dlg.h"

#include "common/language_texts.h"
#include "common/settings_location.h"
#include "driver/app/display_changes.h"
#include "driver/app/dravik_dialog_template.h"
#include "driver/app/dravik_ids.h"
#include "driver/pointer/orientation_launcher.h"
#include "driver/settings/diagnostics.h"
#include "driver/settings/load_message_texts.h"
#include "driver/settings/save_diagnostics.h"
#include "driver/settings/tray_setting.h"
#include "platform/window_messages.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace driver {

using namespace platform;

CDravikDlg::CDravikDlg(Platform& platform, DriverState& state, WindowHandle parent)
    : CDialog(platform.windows, DravikDialogTemplate(), parent), m_platform(platform),
      m_state(state), m_hIcon(platform.windows.LoadAppIcon(kAppIconId)),
      m_pipeline(platform, state, *this),
      m_penTimers(state, platform.windows, platform.clock, m_pipeline.inject, m_buttons, *this),
      m_opens(platform.threads, platform.windows),
      m_dualPen(platform, state, m_pipeline.currentChannel, m_opens, m_pipeHandle, *this),
      m_orientation(platform, state, m_pipeline.calibration, m_pipeline.screen,
                    m_pipeline.orientationPipe, m_opens, *this),
      m_tray(platform.notifyIcon, platform.clock, *this),
      m_connection(platform, state, m_pipeline, *this, *this) {}

CDravikDlg::~CDravikDlg() {
    if (!m_connection.Close()) {
        // The reader still runs in what is about to be freed: end the
        // process here rather than let it touch freed memory.
        std::_Exit(0);
    }
}

LResult CDravikDlg::WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) {
    // Acted on first, then passed on to default processing like any other.
    if (message == wm::kDeviceChange) {
        m_connection.OnDeviceChange(wParam, lParam);
    }
    if (IsDisplayChange(message, wParam)) {
        m_connection.OnDisplayChange();
    }
    const LResult result = CDialog::WindowProc(message, wParam, lParam, handled);
    // Whatever changed the link or the modes came through a message.
    if (m_tray.Shown()) {
        m_tray.Update(CurrentTrayStatus());
    }
    return result;
}

bool CDravikDlg::DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result) {
    // Searched in this order; the first row that matches handles the message.
    static constexpr std::array kMessageMap = {
        framework::OnMessage(wm::kPaint, &CDravikDlg::OnPaint),
        framework::OnMessage(wm::kQueryDragIcon, &CDravikDlg::OnQueryDragIcon),
        framework::OnMessage(wm::kTimer, &CDravikDlg::OnTimer),
        framework::OnMessage(wm::kDestroy, &CDravikDlg::OnDestroy),
        framework::OnMessage(contract::driver_message::kOrientationStart,
                             &CDravikDlg::OnOrientationStart),
        framework::OnMessage(contract::driver_message::kSaveKeyType, &CDravikDlg::OnSaveKeyType),
        framework::OnMessage(contract::driver_message::kKeyError, &CDravikDlg::OnKeyError),
        framework::OnMessage(contract::driver_message::kRefreshState, &CDravikDlg::OnRefreshState),
        framework::OnMessage(contract::driver_message::kResetBoardType,
                             &CDravikDlg::OnResetBoardType),
        framework::OnMessage(contract::driver_message::kButtonSettingsChanged,
                             &CDravikDlg::OnButtonSettingsChanged),
        framework::OnMessage(contract::driver_message::kOrientationDone,
                             &CDravikDlg::OnOrientationDone),
        framework::OnCommand(id::kOk, &CDravikDlg::OnDualPenButton),
        framework::OnRegistered(&CDravikDlg::QelOkId, &CDravikDlg::OnAnnounceRequest),
        framework::OnRegistered(&CDravikDlg::QelDriverSetId, &CDravikDlg::OnDriverSet),
        framework::OnMessage(user_message::kReaderEnded, &CDravikDlg::OnReaderEnded),
        framework::OnMessage(user_message::kOpenDone, &CDravikDlg::OnOpenDone),
        framework::OnMessage(user_message::kStartTimerRequest, &CDravikDlg::OnStartTimerRequest),
        framework::OnCommand(id::kCancel, &CDravikDlg::OnExitButton),
        framework::OnMessage(user_message::kTrayIcon, &CDravikDlg::OnTrayIcon),
        framework::OnRegistered(&CDravikDlg::TaskbarCreatedId, &CDravikDlg::OnTaskbarCreated),
        framework::OnCommand(kTrayCalibrateCommand, &CDravikDlg::OnTrayCalibrate),
        framework::OnCommand(kTrayPenButtonsCommand, &CDravikDlg::OnTrayPenButtons),
        framework::OnCommand(kTrayDiagnosticsCommand, &CDravikDlg::OnTraySaveDiagnostics),
        framework::OnCommand(kTrayAboutCommand, &CDravikDlg::OnTrayAbout),
        framework::OnCommand(kTrayExitCommand, &CDravikDlg::OnTrayExit),
    };
    return framework::DispatchMessageMap<CDravikDlg>(*this, kMessageMap, message, wParam, lParam,
                                                     result);
}

void CDravikDlg::DoDataExchange(framework::DataExchange& exchange) {
    exchange.Text(kStateEditId, m_strState);
}

bool CDravikDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    Windows().SetIcon(GetSafeHwnd(), m_hIcon, true);
    Windows().SetIcon(GetSafeHwnd(), m_hIcon, false);
    m_buttonCommandMap = ButtonCommandMap();
    m_state.isAdmin = m_platform.security.IsUserAdmin() ? 1 : 0;
    m_state.isWow64 = m_platform.security.IsWow64() ? 1 : 0;
    m_state.codePermitted = 1;
    m_opens.SetDialog(GetSafeHwnd());
    m_connection.RegisterNotifications(GetSafeHwnd());
    m_state.settingsPath =
        common::LocateSettingsFile(m_platform.files, m_platform.clock, m_state.isAdmin != 0);
    StartLogFileIfAsked();
    for (const std::string& note : m_state.textNotes) {
        m_platform.trace.Failure(common::kTextsTraceStep, 0, note);
    }
    SetWindowPos(kNoWindow, 0, 0, 0, 0, 0);
    // A tool window has no taskbar button.
    ModifyStyleEx(ws_ex::kAppWindow, ws_ex::kToolWindow);
    Start(timer::kHide);
    m_state.qelOkMessage = Windows().RegisterWindowMessage(contract::registered::kOk);
    m_state.qelDriverSetMessage = Windows().RegisterWindowMessage(contract::registered::kDriverSet);
    ReadButtonSettings();
    // Without the event an installer still ends this driver through its window, in
    // this session only.
    m_watchEndEvent =
        m_platform.security.OpenEndEvent(std::string(contract::driver_window::kEndEvent));
    Start(timer::kConnect);
    ShowTrayIconIfWanted();
    return true;
}

void CDravikDlg::ShowTrayIconIfWanted() {
    m_taskbarCreatedMessage = Windows().RegisterWindowMessage(kTaskbarCreated);
    m_tray.SetTexts(m_state.trayTexts);
    if (TrayIconWanted(m_platform.profile, m_platform.trace, m_state.settingsPath)) {
        m_tray.Show(GetSafeHwnd(), user_message::kTrayIcon, CurrentTrayStatus());
    }
}

TrayStatus CDravikDlg::CurrentTrayStatus() {
    TrayStatus status;
    if (m_state.linkOpen != 0) {
        status.link = m_state.hidMode != 0 ? BoardLink::Hid : BoardLink::Serial;
    }
    if (status.link == BoardLink::Serial) {
        status.port = m_connection.Serial().SerialPortName();
    }
    status.calibrating = m_state.orientationMode != 0;
    status.dualPen = m_state.dualPenMode != 0;
    const std::uint64_t failures = m_platform.trace.FailureCount();
    if (failures != m_failuresSeen) {
        m_failuresSeen = failures;
        m_lastFailure = m_platform.trace.LastFailure();
    }
    if (status.link == BoardLink::None) {
        status.lastFailure = m_lastFailure;
    }
    return status;
}

void CDravikDlg::ReadButtonSettings() {
    m_buttons =
        driver::ReadButtonSettings(m_platform.profile, m_state.settingsPath, m_buttonCommandMap);
}

LResult CDravikDlg::OnPaint(WParam, LParam) {
    PaintWithIcon(m_hIcon);
    return 0;
}

LResult CDravikDlg::OnQueryDragIcon(WParam, LParam) {
    return static_cast<LResult>(m_hIcon);
}

LResult CDravikDlg::OnTimer(WParam timerId, LParam) {
    switch (timerId) {
    case timer::kHide.id:
        ShowWindow(sw::kHide);
        Stop(timer::kHide);
        break;
    case timer::kConnect.id:
        m_connection.Connect();
        Look();
        break;
    case timer::kHidKeepAlive.id:
        m_connection.KeepAliveTick();
        break;
    case timer::kLooks.id:
        Look();
        break;
    case timer::kTrayBalloon.id:
        m_tray.OnBalloonTimer();
        break;
    default:
        m_penTimers.OnTimer(timerId);
        break;
    }
    return 0;
}

void CDravikDlg::Look() {
    if (m_watchEndEvent && m_platform.security.EndEventSignalled()) {
        m_watchEndEvent = false;
        PostToDialog(wm::kClose, 0, 0);
        return;
    }
    if (m_pipeline.screen.DesktopChanged()) {
        m_connection.OnDisplayChange();
    }
}

LResult CDravikDlg::OnDestroy(WParam, LParam) {
    m_tray.Remove();
    if (m_state.boardIdentified != 0) {
        const WindowHandle companionWindow =
            Windows().FindWindow(contract::companion::kMainClass, contract::companion::kMainTitle);
        Windows().PostMessage(companionWindow, contract::companion::kNotice, 0,
                              contract::companion::kBoardGone);
    }
    m_pipeline.currentChannel.Retire();
    return 0;
}

LResult CDravikDlg::OnSaveKeyType(WParam, LParam) {
    SaveKeyType(m_platform.profile, m_state.settingsPath, m_state.functionAreasEnabled.load());
    return 0;
}

LResult CDravikDlg::OnResetBoardType(WParam, LParam) {
    ResetBoardType(m_platform.profile, m_state.settingsPath);
    return 0;
}

LResult CDravikDlg::OnButtonSettingsChanged(WParam, LParam) {
    ReadButtonSettings();
    return 0;
}

void CDravikDlg::PostToDialog(std::uint32_t message, WParam wParam, LParam lParam) {
    Windows().PostMessage(GetSafeHwnd(), message, wParam, lParam);
}

void CDravikDlg::StartDialogTimer(DialogTimer timer) {
    if (m_timerRequests.Request(timer)) {
        PostToDialog(user_message::kStartTimerRequest, 0, 0);
    }
}

LResult CDravikDlg::OnStartTimerRequest(WParam, LParam) {
    m_timerRequests.Take([this](DialogTimer timer) { Start(timer); });
    return 0;
}

void CDravikDlg::Start(DialogTimer timer) {
    if (timer == timer::kConnect && !std::exchange(m_connecting, true)) {
        KillTimer(timer::kLooks.id);
    }
    SetTimer(timer.id, timer.periodMs);
}

void CDravikDlg::Stop(DialogTimer timer) {
    KillTimer(timer.id);
    if (timer == timer::kConnect && std::exchange(m_connecting, false)) {
        SetTimer(timer::kLooks.id, timer::kLooks.periodMs);
    }
}

LResult CDravikDlg::OnReaderEnded(WParam, LParam) {
    m_connection.OnReaderEnded();
    return 0;
}

void CDravikDlg::StartLogFileIfAsked() {
    const std::string logFile =
        LogFilePath(m_platform.profile, m_platform.files, m_state.settingsPath);
    if (!logFile.empty()) {
        m_platform.trace.SetLogFile(logFile);
    }
}

LResult CDravikDlg::OnDriverSet(WParam command, LParam argument) {
    constexpr LParam kClaimArgument = 1;
    constexpr LParam kChannelArgument = 2;
    switch (command) {
    case contract::driver_set::kClaimClick:
        if (argument == kClaimArgument) {
            // The companion handles this pen-button click itself.
            m_state.defaultActionArmed = 0;
        }
        break;
    case contract::driver_set::kPipeChannel:
        if (argument == kChannelArgument) {
            m_dualPen.OpenPipeChannel();
        }
        break;
    case contract::driver_set::kSocketChannel:
        if (argument == kChannelArgument) {
            m_dualPen.OpenSocketChannel();
        }
        break;
    case contract::driver_set::kStopChannel:
    case contract::driver_set::kStopChannelToo:
        if (argument == kChannelArgument) {
            m_dualPen.StopChannel();
        }
        break;
    case contract::driver_set::kQueryDualPen:
        m_dualPen.AnswerQuery();
        break;
    default:
        break;
    }
    return 0;
}

LResult CDravikDlg::OnOpenDone(WParam, LParam) {
    for (const PendingOpens::Finished& done : m_opens.TakeFinished()) {
        if (!m_dualPen.OnOpenDone(done.ticket, done.opened)) {
            m_orientation.OnOpenDone(done.ticket, done.opened);
        }
    }
    return 0;
}

LResult CDravikDlg::OnOrientationStart(WParam, LParam lParam) {
    m_orientation.OnOrientationStart(lParam);
    return 0;
}

LResult CDravikDlg::OnOrientationDone(WParam wParam, LParam lParam) {
    m_orientation.OnOrientationDone(wParam, lParam);
    return 0;
}

LResult CDravikDlg::OnKeyError(WParam, LParam lParam) {
    // A board that floods key faults must not stack boxes: one at a time.
    if (m_keyErrorShown) {
        return 0;
    }
    m_keyErrorShown = true;
    const MessageTexts& texts = m_state.messageTexts;
    Windows().MessageBox(GetSafeHwnd(), lParam != 0 ? texts.rKeyError : texts.lKeyError,
                         texts.connectCap, mb::kOk | mb::kTopmost);
    m_keyErrorShown = false;
    return 0;
}

LResult CDravikDlg::OnRefreshState(WParam, LParam) {
    UpdateData(false);
    return 0;
}

LResult CDravikDlg::OnAnnounceRequest(WParam, LParam) {
    if (m_state.boardIdentified == 1) {
        m_pipeline.companion.Announce(m_state.dualCapable != 0);
    }
    return 0;
}

void CDravikDlg::ShowState(std::string_view text) {
    m_strState = text;
    PostToDialog(contract::driver_message::kRefreshState, 0, 0);
}

void CDravikDlg::SetButtonText(std::string_view text) {
    Windows().SetDlgItemText(GetSafeHwnd(), id::kOk, text);
}

void CDravikDlg::OnDualPenButton() {
    // Enter reaches this too: IDOK is the default button.
    m_dualPen.Press();
}

void CDravikDlg::OnExitButton() {
    m_state.linkOpen = 0;
    EndDialog(id::kCancel);
}

LResult CDravikDlg::OnTrayIcon(WParam, LParam event) {
    switch (static_cast<std::uint32_t>(event) & 0xFFFF) {
    case notify_event::kContextMenu:
    case notify_event::kSelect:
    case notify_event::kKeySelect:
        if (const std::uint16_t command = m_tray.ShowMenu(); command != 0) {
            PostToDialog(wm::kCommand, command, 0);
        }
        break;
    default:
        break;
    }
    return 0;
}

LResult CDravikDlg::OnTaskbarCreated(WParam, LParam) {
    m_tray.OnTaskbarCreated();
    return 0;
}

void CDravikDlg::OnTrayCalibrate() {
    OrientationLauncher(Windows(), m_platform.profile, m_platform.files, m_platform.shell, m_state)
        .StartOrientation();
}

void CDravikDlg::OnTrayPenButtons() {
    const std::string folder = common::ExecutableFolder(m_platform.files);
    const std::string program = common::PathInFolder(folder, kPenSettingsProgram);
    // A cut path would start whatever lies in another folder.
    if (program.empty()) {
        m_platform.trace.Failure("OpenProgram", 0, "the settings program's path is too long");
        return;
    }
    if (!m_platform.shell.OpenProgram(program, "", folder, sw::kShow)) {
        m_platform.trace.Failure("OpenProgram", 0, program);
    }
}

std::string CDravikDlg::VersionsText() const {
    std::string text = "Dravik.exe " DRAVIK_VERSION_TEXT "\r\n";
    text += m_state.isWow64 != 0 ? "64-bit Windows: yes\r\n" : "64-bit Windows: no\r\n";
    text += m_state.isAdmin != 0 ? "administrator: yes\r\n" : "administrator: no\r\n";
    text += "settings: " + m_state.settingsPath + "\r\n";
    return text;
}

void CDravikDlg::OnTraySaveDiagnostics() {
    const TrayTexts& texts = m_tray.Texts();
    // Cancelled or no picker at all: the desktop is where a teacher looks.
    const std::string parent = m_platform.notifyIcon.PickFolder(GetSafeHwnd(), texts.pickFolder)
                                   .value_or(m_platform.notifyIcon.DesktopFolder());
    const DiagnosticsResult result =
        SaveDiagnostics(m_platform.files, parent,
                        {m_state.settingsPath, VersionsText(), m_platform.display.Monitors(),
                         m_platform.trace.RecentLines()});
    std::string text = result.written > 0 ? FillIn(texts.saved, result.folder) : std::string();
    if (!result.notWritten.empty()) {
        if (!text.empty()) {
            text += "\r\n\r\n";
        }
        text += texts.notSaved;
        for (const std::string& what : result.notWritten) {
            text += "\r\n";
            text += what;
        }
    }
    Windows().MessageBox(GetSafeHwnd(), text, texts.caption,
                         result.notWritten.empty() ? mb::kIconInformation : mb::kIconWarning);
}

void CDravikDlg::OnTrayAbout() {
    const TrayTexts& texts = m_tray.Texts();
    Windows().MessageBox(GetSafeHwnd(), FillIn(texts.aboutText, DRAVIK_VERSION_TEXT), texts.caption,
                         mb::kIconInformation);
}

void CDravikDlg::OnTrayExit() {
    const TrayTexts& texts = m_tray.Texts();
    if (Windows().MessageBox(GetSafeHwnd(), texts.exitConfirm, texts.caption,
                             mb::kYesNo | mb::kIconQuestion) == id::kYes) {
        PostToDialog(wm::kClose, 0, 0);
    }
}

} // namespace driver
