#pragma once

#include "driver/app/dual_pen_control.h"
#include "driver/app/orientation_control.h"
#include "driver/app/pen_timers.h"
#include "driver/app/pending_opens.h"
#include "driver/app/timer_requests.h"
#include "driver/app/tray_icon.h"
#include "driver/link/board_connection.h"
#include "driver/pen/pen_pipeline.h"
#include "driver/settings/button_settings.h"
#include "driver/state/dialog_requests.h"
#include "driver/state/dialog_timers.h"
#include "driver/state/driver_state.h"
#include "framework/dialog.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace driver {

// The driver's hidden main dialog: it routes the timers, the device
// notifications and the messages of companion programs to the components
// that do the work, and keeps its own controls.
class CDravikDlg : public framework::CDialog,
                   public DialogRequests,
                   public DialogTimers,
                   public DualPenView {
public:
    CDravikDlg(platform::Platform& platform, DriverState& state,
               platform::WindowHandle parent = platform::kNoWindow);
    // Stops a reader that still runs before the parts it uses go away.
    ~CDravikDlg() override;

    const ButtonSettings& Buttons() const { return m_buttons; }
    const ButtonCommandMap& CommandMap() const { return m_buttonCommandMap; }
    const std::string& StateText() const { return m_strState; }
    PenPipeline& Pipeline() { return m_pipeline; }
    BoardConnection& Connection() { return m_connection; }

    // What the reader thread asks of the dialog.
    void PostToDialog(std::uint32_t message, WParam wParam, LParam lParam) override;
    void StartDialogTimer(DialogTimer timer) override;

    // The dialog's timers, for the components on its thread.
    void Start(DialogTimer timer) override;
    void Stop(DialogTimer timer) override;

    // Message handlers, as the message map binds them.
    LResult OnPaint(WParam, LParam);
    LResult OnQueryDragIcon(WParam, LParam);
    LResult OnTimer(WParam timerId, LParam);
    LResult OnDestroy(WParam, LParam);
    LResult OnSaveKeyType(WParam, LParam);
    LResult OnResetBoardType(WParam, LParam);
    LResult OnButtonSettingsChanged(WParam, LParam);
    LResult OnOrientationStart(WParam, LParam lParam);
    LResult OnOrientationDone(WParam wParam, LParam lParam);
    LResult OnKeyError(WParam, LParam lParam);
    LResult OnRefreshState(WParam, LParam);
    LResult OnStartTimerRequest(WParam, LParam);
    LResult OnAnnounceRequest(WParam, LParam);
    LResult OnDriverSet(WParam command, LParam argument);
    LResult OnReaderEnded(WParam, LParam);
    LResult OnOpenDone(WParam, LParam);
    std::uint32_t QelOkId() const { return m_state.qelOkMessage.load(); }
    std::uint32_t QelDriverSetId() const { return m_state.qelDriverSetMessage.load(); }
    std::uint32_t TaskbarCreatedId() const { return m_taskbarCreatedMessage; }
    LResult OnTrayIcon(WParam, LParam event);
    LResult OnTaskbarCreated(WParam, LParam);
    void OnDualPenButton();
    void OnExitButton();
    // The icon menu's commands.
    void OnTrayCalibrate();
    void OnTrayPenButtons();
    void OnTraySaveDiagnostics();
    void OnTrayAbout();
    void OnTrayExit();

    const TrayIcon& Tray() const { return m_tray; }

    void ReadButtonSettings();

protected:
    void DoDataExchange(framework::DataExchange& exchange) override;
    bool OnInitDialog() override;
    bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                            LResult& result) override;
    LResult WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) override;

    // Dual-pen mode as the dialog shows it. The state goes into edit control
    // 1000 by the message the driver posts itself.
    void ShowState(std::string_view text) override;
    void SetButtonText(std::string_view text) override;

private:
    void StartLogFileIfAsked();
    // What no message announces: the end event, then a change of monitors.
    void Look();
    void ShowTrayIconIfWanted();
    // The status as the icon shows it, from what the dialog thread sees now.
    TrayStatus CurrentTrayStatus();
    std::string VersionsText() const;

    platform::Platform& m_platform;
    DriverState& m_state;
    // First: the pipe channels it serves may live on in the slots and the
    // workers until those go.
    CDravikPipe::ClassHandle m_pipeHandle;

    platform::IconHandle m_hIcon = 0;
    std::string m_strState;
    ButtonSettings m_buttons;
    ButtonCommandMap m_buttonCommandMap;
    PenPipeline m_pipeline;
    PenTimers m_penTimers;
    PendingOpens m_opens;
    DualPenControl m_dualPen;
    OrientationControl m_orientation;
    TimerRequests m_timerRequests;
    bool m_keyErrorShown = false;
    bool m_watchEndEvent = false;
    // The connect timer runs, and its expiry looks in place of the looks timer.
    bool m_connecting = false;
    TrayIcon m_tray;
    std::uint32_t m_taskbarCreatedMessage = 0;
    // The trace's last failure, fetched again only when its count moves.
    std::uint64_t m_failuresSeen = 0;
    std::string m_lastFailure;
    // Last: it stops the reader before everything the reader uses goes.
    BoardConnection m_connection;
};

} // namespace driver
