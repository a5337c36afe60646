#include "driver/app/dravik_dlg.h"

#include "common/settings_location.h"
#include "driver/app/dravik_dialog_template.h"
#include "driver/app/dravik_ids.h"
#include "driver/pointer/load_calibration.h"
#include "platform/window_messages.h"

#include <array>

namespace driver {

using namespace platform;

CDravikDlg::CDravikDlg(Platform& platform, DriverState& state, WindowHandle parent)
    : CDialog(platform.windows, DravikDialogTemplate(), parent), m_platform(platform),
      m_state(state), m_hIcon(platform.windows.LoadAppIcon(kAppIconId)),
      m_pipeline(platform, state, *this),
      m_penTimers(state, platform.windows, platform.clock, m_pipeline.inject, m_buttons, *this),
      m_hidDevice(platform.hid),
      m_serialLink(state, platform.registry, platform.serial, m_readerThread),
      m_readerSerial(platform.serial, m_serialLink),
      m_hidLink(HidLinkParts{state, m_hidDevice, platform.windows, platform.clock, m_readerThread,
                             *this,
                             [this] {
                                 LoadCalibration();
                             }}),
      m_readerLoop(state, m_readerSerial, m_hidDevice, platform.clock, m_pipeline.companion,
                   m_pipeline.dispatcher),
      m_readerThread(platform.threads, [this] { return RunReader(); }) {}

CDravikDlg::~CDravikDlg() {
    m_state.linkOpen = 0;
    if (m_platform.serial.IsOpen()) {
        m_platform.serial.Purge(SerialLink::kPurgeAll);
    }
    m_hidDevice.CancelReads();
    m_readerThread.WaitAndRelease(SerialLink::kReaderEndWaitMs);
    m_hidDevice.CloseHandles();
}

LResult CDravikDlg::WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) {
    if (message == wm::kDeviceChange) {
        // Acted on first, then passed on to default processing like any other.
        m_hidLink.OnDeviceChange(wParam, lParam);
    }
    return CDialog::WindowProc(message, wParam, lParam, handled);
}

bool CDravikDlg::DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result) {
    // Searched in this order; the first row that matches handles the message.
    static constexpr std::array kMessageMap = {
        framework::OnMessage(wm::kPaint, &CDravikDlg::OnPaint),
        framework::OnMessage(wm::kQueryDragIcon, &CDravikDlg::OnQueryDragIcon),
        framework::OnMessage(wm::kTimer, &CDravikDlg::OnTimer),
        framework::OnMessage(wm::kDestroy, &CDravikDlg::OnDestroy),
        framework::OnMessage(user_message::kSaveKeyType, &CDravikDlg::OnSaveKeyType),
        framework::OnMessage(user_message::kResetBoardType, &CDravikDlg::OnResetBoardType),
        framework::OnMessage(user_message::kButtonSettingsChanged,
                             &CDravikDlg::OnButtonSettingsChanged),
        framework::OnCommand(id::kOk, &CDravikDlg::OnDualPenButton),
        framework::OnRegistered(&CDravikDlg::QelDriverSetId, &CDravikDlg::OnDriverSet),
        framework::OnMessage(user_message::kReaderEnded, &CDravikDlg::OnReaderEnded),
        framework::OnMessage(user_message::kStartTimerRequest, &CDravikDlg::OnStartTimerRequest),
        framework::OnCommand(id::kCancel, &CDravikDlg::OnExitButton),
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
    m_serialLink.SelectKeyPaths(m_state.isWow64 != 0);
    m_hidLink.AttachDialog(GetSafeHwnd());
    m_hidLink.RegisterInterfaceNotifications(m_state.isWow64 != 0);
    m_state.settingsPath =
        common::LocateSettingsFile(m_platform.files, m_platform.clock, m_state.isAdmin != 0);
    SetWindowPos(kNoWindow, 0, 0, 0, 0, 0);
    // A tool window has no taskbar button.
    ModifyStyleEx(ws_ex::kAppWindow, ws_ex::kToolWindow);
    SetTimer(timer::kHide, 100);
    m_state.qelOkMessage = Windows().RegisterWindowMessage("QelOK");
    m_state.qelDriverSetMessage = Windows().RegisterWindowMessage("QelDriverSet");
    ReadButtonSettings();
    SetTimer(timer::kConnect, 2000);
    return true;
}

void CDravikDlg::ReadButtonSettings() {
    m_buttons =
        driver::ReadButtonSettings(m_platform.profile, m_state.settingsPath, m_buttonCommandMap);
}

LResult CDravikDlg::OnPaint(WParam, LParam) {
    if (IsIconic()) {
        Windows().PaintIconCentred(GetSafeHwnd(), m_hIcon);
    } else {
        Windows().DefaultPaint(GetSafeHwnd());
    }
    return 0;
}

LResult CDravikDlg::OnQueryDragIcon(WParam, LParam) {
    return static_cast<LResult>(m_hIcon);
}

LResult CDravikDlg::OnTimer(WParam timerId, LParam) {
    if (timerId == timer::kHide) {
        ShowWindow(sw::kHide);
        KillTimer(timer::kHide);
        return 0;
    }
    if (timerId == timer::kConnect) {
        ConnectAttempt();
        return 0;
    }
    if (timerId == timer::kHidKeepAlive) {
        m_hidLink.KeepAliveTick();
        return 0;
    }
    m_penTimers.OnTimer(timerId);
    return 0;
}

LResult CDravikDlg::OnDestroy(WParam, LParam) {
    if (m_state.boardIdentified != 0) {
        const WindowHandle companionWindow =
            Windows().FindWindow(companion::kMainClass, companion::kMainTitle);
        Windows().PostMessage(companionWindow, companion::kNotice, 0, companion::kBoardGone);
    }
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

void CDravikDlg::StartDialogTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    PostToDialog(user_message::kStartTimerRequest, timerId, milliseconds);
}

LResult CDravikDlg::OnStartTimerRequest(WParam timerId, LParam milliseconds) {
    SetTimer(timerId, static_cast<std::uint32_t>(milliseconds));
    return 0;
}

void CDravikDlg::ConnectAttempt() {
    if (m_hidLink.OpenHidLink()) {
        LoadCalibration();
        m_state.hidMode = 1;
        KillTimer(timer::kConnect);
        return;
    }
    if (!m_serialLink.FindSerialPortName()) {
        return;
    }
    LoadCalibration();
    if (!m_serialLink.OpenSerialPort()) {
        return;
    }
    // A reader that could not be made leaves the port closed: keep trying
    // rather than stop with no link at all.
    if (m_serialLink.StartSerialReader()) {
        m_state.hidMode = 0;
        KillTimer(timer::kConnect);
    }
}

int CDravikDlg::RunReader() {
    const int exitCode = m_readerLoop.ReaderThreadProc();
    if (exitCode != 0) {
        PostToDialog(user_message::kReaderEnded, 0, exitCode);
    }
    return exitCode;
}

LResult CDravikDlg::OnReaderEnded(WParam, LParam) {
    if (m_state.linkOpen == 0) {
        return 0; // closed meanwhile
    }
    // The reader gave up on a link still marked open, as after a transient
    // serial fault with no device removal: close it as a removal would and
    // look for the board again, so that it works without a restart.
    if (m_state.hidMode != 0) {
        m_hidLink.HidLinkGone();
        m_state.dualCapable = 0;
    } else {
        m_hidLink.SerialLinkGone();
    }
    SetTimer(timer::kConnect, HidLink::kConnectMs);
    return 0;
}

int CDravikDlg::IsSerialInterfaceLinked() {
    return m_serialLink.IsSerialInterfaceLinked();
}

void CDravikDlg::CloseSerialPort() {
    m_serialLink.CloseSerialPort();
}

void CDravikDlg::StartTimer(std::uintptr_t timerId, std::uint32_t milliseconds) {
    SetTimer(timerId, milliseconds);
}

void CDravikDlg::StopTimer(std::uintptr_t timerId) {
    KillTimer(timerId);
}

LResult CDravikDlg::OnDriverSet(WParam command, LParam argument) {
    constexpr WParam kClaimClick = 10;
    if (command == kClaimClick && argument == 1) {
        // The companion handles this pen-button click itself.
        m_state.defaultActionArmed = 0;
    }
    return 0;
}

void CDravikDlg::StartOrientation() {
    m_pipeline.launcher.StartOrientation();
}

void CDravikDlg::LoadCalibration() {
    driver::LoadCalibration(m_pipeline.calibration, m_platform.profile, m_platform.mouse,
                            m_state.settingsPath);
}

void CDravikDlg::OnDualPenButton() {
    // Enter lands here as well; switching dual-pen mode arrives with the
    // companion channel. Until then the command must simply not end the driver.
}

void CDravikDlg::OnExitButton() {
    m_state.linkOpen = 0;
    EndDialog(id::kCancel);
}

} // namespace driver
