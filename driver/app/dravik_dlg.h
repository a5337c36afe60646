#pragma once

#include "driver/app/pen_pipeline.h"
#include "driver/app/pen_timers.h"
#include "driver/link/hid_link.h"
#include "driver/link/reader_thread.h"
#include "driver/link/serial_link.h"
#include "driver/pen/dialog_link.h"
#include "driver/pen/reader_loop.h"
#include "driver/settings/button_settings.h"
#include "driver/state/driver_state.h"
#include "framework/dialog.h"
#include "platform/platform.h"

#include <atomic>
#include <span>
#include <string>

namespace driver {

// The driver's hidden main dialog: it owns the timers, receives the
// messages of companion programs and wires them to the components.
class CDravikDlg : public framework::CDialog,
                   public DialogLink,
                   public TimerControl,
                   public SerialLinkControl {
public:
    CDravikDlg(platform::Platform& platform, DriverState& state,
               platform::WindowHandle parent = platform::kNoWindow);
    // Stops a reader that still runs before the parts it uses go away.
    ~CDravikDlg() override;

    const ButtonSettings& Buttons() const { return m_buttons; }
    const ButtonCommandMap& CommandMap() const { return m_buttonCommandMap; }
    const std::string& StateText() const { return m_strState; }
    PenPipeline& Pipeline() { return m_pipeline; }

    // What the reader thread asks of the dialog.
    void PostToDialog(std::uint32_t message, WParam wParam, LParam lParam) override;
    void StartDialogTimer(std::uintptr_t timerId, std::uint32_t milliseconds) override;
    void StartOrientation() override;

    void StartTimer(std::uintptr_t timerId, std::uint32_t milliseconds) override;
    void StopTimer(std::uintptr_t timerId) override;

    // For the HID link's device-change handling.
    int IsSerialInterfaceLinked() override;
    void CloseSerialPort() override;

    SerialLink& Serial() { return m_serialLink; }
    HidLink& Hid() { return m_hidLink; }

    // Timer 113: the HID link first, then the serial link.
    void ConnectAttempt();

    // Reads the calibration afresh from the settings file.
    void LoadCalibration();

    // Message handlers, as the message map binds them.
    LResult OnPaint(WParam, LParam);
    LResult OnQueryDragIcon(WParam, LParam);
    LResult OnTimer(WParam timerId, LParam);
    LResult OnDestroy(WParam, LParam);
    LResult OnSaveKeyType(WParam, LParam);
    LResult OnResetBoardType(WParam, LParam);
    LResult OnButtonSettingsChanged(WParam, LParam);
    LResult OnStartTimerRequest(WParam timerId, LParam milliseconds);
    LResult OnDriverSet(WParam command, LParam argument);
    LResult OnReaderEnded(WParam, LParam exitCode);
    std::uint32_t QelDriverSetId() const { return m_state.qelDriverSetMessage.load(); }
    void OnDualPenButton();
    void OnExitButton();

    void ReadButtonSettings();

protected:
    void DoDataExchange(framework::DataExchange& exchange) override;
    bool OnInitDialog() override;
    bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                            LResult& result) override;
    LResult WindowProc(std::uint32_t message, WParam wParam, LParam lParam, bool& handled) override;

private:
    platform::Platform& m_platform;
    DriverState& m_state;

    platform::IconHandle m_hIcon = 0;
    std::string m_strState;
    ButtonSettings m_buttons;
    ButtonCommandMap m_buttonCommandMap;
    PenPipeline m_pipeline;
    PenTimers m_penTimers;
    CHidDevice m_hidDevice;
    SerialLink m_serialLink;
    ReaderSerialPort m_readerSerial;
    HidLink m_hidLink;
    ReaderLoop m_readerLoop;
    // Last: it is stopped before everything its thread uses.
    ReaderThread m_readerThread;

    int RunReader();
};

} // namespace driver
