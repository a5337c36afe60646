#pragma once

#include "framework/window.h"
#include "orient/calibration_run.h"
#include "orient/contact.h"
#include "orient/drawing.h"
#include "orient/frame_reader.h"
#include "orient/monitor_choice.h"
#include "orient/orient_log.h"
#include "orient/orient_ports.h"
#include "orient/orient_texts.h"
#include "orient/orient_view.h"
#include "orient/verification.h"

#include <optional>
#include <string>
#include <vector>

namespace orient {

using platform::LParam;
using platform::LResult;
using platform::WParam;

// The calibration program's one window: full screen on the board's monitor,
// in front of all. It asks the driver for raw frames; on a desktop of
// several monitors it first shows a prompt on one after another until the
// pen touches the board, unless the command line named the monitor. Then it
// shows the targets one at a time, writes the grid the pen gave with the
// monitor it belongs to, has the driver reload them and checks the grid with
// the pen driving the pointer.
class COrientWnd : public framework::CWnd {
public:
    // How the window's loop ends.
    static constexpr LResult kFinished = 1;
    static constexpr LResult kCancelled = 2;

    // How long the driver gets to make its pipe after the request.
    static constexpr std::uint32_t kConnectBoundMs = 5000;
    static constexpr std::uint32_t kConnectRetryMs = 100;
    // How long the prompt waits on each monitor for the board to be touched.
    static constexpr std::uint32_t kPromptMs = 5000;
    using Stage = OrientStage;

    explicit COrientWnd(OrientPorts& ports, MonitorRequest request = {});

    // Reads the settings and texts, then shows the window until the user is
    // done: kFinished, kCancelled, or -1 when the window could not be made.
    LResult Run();

    Stage CurrentStage() const { return m_stage; }
    const std::string& SettingsPath() const { return m_settingsPath; }
    // The buttons on the window now.
    std::vector<Button> Buttons() const;
    // What the latest check found, once all its crosses are pressed.
    std::optional<Residual> LastResidual() const {
        return m_verification && m_verification->Done() ? std::optional(m_verification->Result())
                                                        : std::nullopt;
    }

    // Message handlers, as the message map binds them.
    LResult OnFrameArrived(WParam wParam, LParam lParam);
    LResult OnPipeEnded(WParam generation, LParam);
    LResult OnTimer(WParam timerId, LParam);
    LResult OnKeyDown(WParam key, LParam);
    LResult OnLButtonDown(WParam, LParam lParam);

protected:
    bool OnCreate() override;
    bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                            LResult& result) override;
    void OnPaint(platform::Canvas& canvas) override;
    // Any close, the driver's (1, 1) included: cancels a calibration that
    // is not written yet, and finishes one that is.
    void OnClose() override;

private:
    // What the driver hears when a round ends: reload the grid or not.
    enum class RoundEnd : std::uint8_t { NewCalibration, NothingNew };

    void ChooseMonitor();
    void UseMonitor(std::size_t index, std::string_view how);
    void MoveTo(const platform::MonitorInfo& monitor);
    void StartPrompt();
    void NextPrompt();
    void StartRound();
    void TryOpenPipe();
    void TakeContact(const ContactResult& contact);
    void SaveGrid();
    void StartVerification();
    void RedoWorst();
    void Cancel();
    void Finish();
    void EndRound(RoundEnd end);
    void ShowStage(Stage stage);
    void LogTarget();

    // What the view shows of the state now.
    OrientScene Scene() const;
    int Width() const { return m_monitor.bounds.Width(); }
    int Height() const { return m_monitor.bounds.Height(); }

    OrientPorts& m_ports;
    MonitorRequest m_request;
    OrientTexts m_texts;
    OrientLog m_log;
    std::string m_settingsPath;
    std::vector<platform::MonitorInfo> m_monitors;
    // The board's monitor once chosen; before, the one the prompt is on.
    platform::MonitorInfo m_monitor;
    bool m_monitorChosen = false;
    std::vector<std::size_t> m_promptOrder; // indices into m_monitors
    std::size_t m_promptStep = 0;
    Stage m_stage = Stage::Connecting;
    // 0x443 posted and no 0x444 yet: the driver forwards raw frames.
    bool m_roundOpen = false;
    std::uint32_t m_connectStartedAt = 0;
    bool m_pipeBroughtFrames = false;
    CalibrationRun m_run;
    ContactCollector m_contact;
    FrameReader m_reader;
    std::optional<Verification> m_verification;
    std::uint32_t m_rounds = 0;
};

} // namespace orient
