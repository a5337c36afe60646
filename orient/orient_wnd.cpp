#include "orient/orient_wnd.h"

#include "common/board_monitor_record.h"
#include "common/settings_location.h"
#include "orient/grid_writer.h"
#include "orient/orient_ids.h"
#include "orient/target_points.h"
#include "platform/window_messages.h"

#include <array>
#include <string>
#include <utility>

namespace orient {

using namespace platform;

namespace {

constexpr std::uintptr_t kConnectTimer = 1;
constexpr std::uintptr_t kPromptTimer = 2;

} // namespace

COrientWnd::COrientWnd(OrientPorts& ports, MonitorRequest request)
    : CWnd(ports.windows), m_ports(ports), m_request(std::move(request)),
      m_log(ports.files, ports.clock), m_run(GridLayout{}), m_reader(ports.threads, ports.windows) {
}

LResult COrientWnd::Run() {
    FilesPort& files = m_ports.files;
    m_settingsPath =
        common::LocateSettingsFile(files, m_ports.clock, m_ports.security.IsUserAdmin());
    m_log.Open(m_ports.profile, m_settingsPath);
    const auto note = [this](const std::string& line) {
        m_log.Write(line);
    };
    const common::LanguageChoice choice =
        common::ChooseLanguage(m_ports.profile, m_settingsPath, m_ports.locale);
    if (!choice.note.empty()) {
        note(choice.note);
    }
    m_texts = ReadOrientTexts(
        m_ports.profile,
        common::TextSourceIn(common::ExecutableFolder(files), choice.language, files), note);
    m_run = CalibrationRun(LayoutForColumns(m_ports.profile.GetInt(
        contract::settings_file::kCoordinateSection, contract::settings_file::kColumnsKey,
        contract::settings_file::kDefaultGridSize, m_settingsPath)));
    ChooseMonitor();
    WindowDescription description;
    description.className = std::string(contract::orientation::kWindowClass);
    description.title = m_texts.caption;
    description.style = ws::kPopup | ws::kVisible;
    description.exStyle = ws_ex::kTopmost;
    description.x = m_monitor.bounds.left;
    description.y = m_monitor.bounds.top;
    description.cx = Width();
    description.cy = Height();
    return RunModalLoop(description);
}

void COrientWnd::ChooseMonitor() {
    m_monitors = m_ports.display.Monitors();
    std::erase_if(m_monitors, [](const MonitorInfo& m) { return m.bounds.IsEmpty(); });
    if (m_request.kind != MonitorRequest::Kind::None) {
        if (const auto index = RequestedMonitor(m_monitors, m_request)) {
            UseMonitor(*index, "by " + m_request.text);
            return;
        }
        m_log.Write("no monitor answers " + m_request.text);
    }
    if (m_monitors.size() == 1) {
        UseMonitor(0, "as the only one");
        return;
    }
    if (m_monitors.empty()) {
        m_log.Write("the system lists no monitor");
        return;
    }
    m_promptOrder =
        PromptOrder(m_monitors, common::ReadStoredMonitor(m_ports.profile, m_settingsPath));
    m_promptStep = 0;
    MoveTo(m_monitors[m_promptOrder.front()]);
}

void COrientWnd::UseMonitor(std::size_t index, std::string_view how) {
    m_monitorChosen = true;
    MoveTo(m_monitors[index]);
    m_log.Write("monitor " + common::DescribeMonitor(m_monitor) + " chosen " + std::string(how));
    m_log.Grid(m_run.Grid().Layout(), Width(), Height());
}

void COrientWnd::MoveTo(const MonitorInfo& monitor) {
    m_monitor = monitor;
    if (GetSafeHwnd() != kNoWindow) {
        const DesktopRect& r = monitor.bounds;
        Windows().SetWindowPos(GetSafeHwnd(), kNoWindow, r.left, r.top, r.Width(), r.Height(), 0);
        Invalidate();
    }
}

void COrientWnd::StartPrompt() {
    ShowStage(Stage::ChoosingMonitor);
    m_log.Write("prompt on " + common::DescribeMonitor(m_monitor));
    SetTimer(kPromptTimer, kPromptMs);
}

void COrientWnd::NextPrompt() {
    // A pen already down holds the prompt on the monitor it answers.
    if (m_contact.InContact()) {
        return;
    }
    m_promptStep = (m_promptStep + 1) % m_promptOrder.size();
    MoveTo(m_monitors[m_promptOrder[m_promptStep]]);
    m_log.Write("prompt on " + common::DescribeMonitor(m_monitor));
}

bool COrientWnd::DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                                    LResult& result) {
    static constexpr std::array kMessageMap = {
        framework::OnMessage(kFrameArrived, &COrientWnd::OnFrameArrived),
        framework::OnMessage(kPipeEnded, &COrientWnd::OnPipeEnded),
        framework::OnMessage(wm::kTimer, &COrientWnd::OnTimer),
        framework::OnMessage(wm::kKeyDown, &COrientWnd::OnKeyDown),
        framework::OnMessage(wm::kLButtonDown, &COrientWnd::OnLButtonDown),
    };
    return framework::DispatchMessageMap<COrientWnd>(*this, kMessageMap, message, wParam, lParam,
                                                     result);
}

bool COrientWnd::OnCreate() {
    StartRound();
    return true;
}

void COrientWnd::StartRound() {
    m_contact.Reset();
    const WindowHandle driver =
        Windows().FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle);
    if (driver == kNoWindow) {
        m_log.Write("no driver window");
        ShowStage(Stage::NoDriver);
        return;
    }
    Windows().PostMessage(driver, contract::driver_message::kOrientationStart,
                          contract::driver_message::kRawFramesOnly, 0);
    m_roundOpen = true;
    ++m_rounds;
    m_connectStartedAt = m_ports.clock.TickCount();
    ShowStage(Stage::Connecting);
    TryOpenPipe();
}

void COrientWnd::TryOpenPipe() {
    if (auto pipe = m_ports.ipc.OpenPipeClient(std::string(contract::orientation::kPipe))) {
        KillTimer(kConnectTimer);
        if (!m_reader.Start(std::move(pipe), GetSafeHwnd())) {
            m_log.Write("no thread for the pipe");
            ShowStage(Stage::NoPipe);
            return;
        }
        m_pipeBroughtFrames = false;
        m_log.Write("pipe open");
        if (!m_monitorChosen) {
            StartPrompt();
            return;
        }
        ShowStage(Stage::Collecting);
        LogTarget();
        return;
    }
    if (m_ports.clock.TickCount() - m_connectStartedAt >= kConnectBoundMs) {
        KillTimer(kConnectTimer);
        m_log.Write("no pipe from the driver");
        ShowStage(Stage::NoPipe);
        return;
    }
    SetTimer(kConnectTimer, kConnectRetryMs);
}

LResult COrientWnd::OnTimer(WParam timerId, LParam) {
    if (timerId == kConnectTimer) {
        if (m_stage == Stage::Connecting) {
            TryOpenPipe();
        } else {
            KillTimer(kConnectTimer);
        }
    }
    if (timerId == kPromptTimer) {
        if (m_stage == Stage::ChoosingMonitor) {
            NextPrompt();
        } else {
            KillTimer(kPromptTimer);
        }
    }
    return 0;
}

LResult COrientWnd::OnFrameArrived(WParam wParam, LParam lParam) {
    m_pipeBroughtFrames = true;
    if (m_stage == Stage::Collecting) {
        if (const auto contact = m_contact.OnFrame(FrameReader::Unpack(wParam, lParam))) {
            TakeContact(*contact);
        }
    }
    // Any touch answers the prompt: it need not be steady like a target's.
    if (m_stage == Stage::ChoosingMonitor &&
        m_contact.OnFrame(FrameReader::Unpack(wParam, lParam))) {
        KillTimer(kPromptTimer);
        UseMonitor(m_promptOrder[m_promptStep], "by a touch");
        ShowStage(Stage::Collecting);
        LogTarget();
    }
    return 0;
}

LResult COrientWnd::OnPipeEnded(WParam generation, LParam) {
    if ((m_stage == Stage::Collecting || m_stage == Stage::ChoosingMonitor) && m_reader.Running() &&
        generation == m_reader.Generation()) {
        m_reader.Stop();
        KillTimer(kPromptTimer);
        // A client can reach an instance the driver kept from an earlier request,
        // which goes as soon as the driver takes up this one: ask again.
        if (!m_pipeBroughtFrames) {
            m_log.Write("pipe ended before any frame");
            ShowStage(Stage::Connecting);
            TryOpenPipe();
            return 0;
        }
        m_log.Write("pipe ended");
        ShowStage(Stage::PipeLost);
    }
    return 0;
}

void COrientWnd::TakeContact(const ContactResult& contact) {
    m_run.OnContact(contact);
    m_log.Contact(contact, m_run.LastVerdict());
    if (m_run.Complete()) {
        SaveGrid();
        return;
    }
    if (m_run.LastVerdict() == ContactVerdict::Taken) {
        LogTarget();
    }
    Invalidate();
}

void COrientWnd::SaveGrid() {
    m_reader.Stop();
    if (!WriteCalibrationGrid(m_ports.profile, m_ports.files, m_settingsPath,
                              AtTargetPoints(m_run.Grid(), Width(), Height()), m_monitor)) {
        m_log.Write("could not write " + m_settingsPath);
        ShowStage(Stage::SaveFailed);
        return;
    }
    m_log.Write("written " + m_settingsPath);
    EndRound(RoundEnd::NewCalibration);
    StartVerification();
}

void COrientWnd::EndRound(RoundEnd end) {
    if (!m_roundOpen) {
        return;
    }
    m_roundOpen = false;
    Windows().PostMessage(
        Windows().FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle),
        contract::driver_message::kOrientationDone,
        end == RoundEnd::NewCalibration ? contract::driver_message::kCalibrationWritten
                                        : contract::driver_message::kNothingWritten,
        0);
}

void COrientWnd::StartVerification() {
    m_stage = Stage::Verifying;
    // No cross under the button, where a press would end the check.
    m_verification.emplace(Width(), Height(), m_ports.clock.TickCount() + m_rounds,
                           Buttons().front().area);
    ShowStage(Stage::Verifying);
    m_log.Check(1, *m_verification->Current());
}

LResult COrientWnd::OnLButtonDown(WParam, LParam lParam) {
    const Point at = PointFromLParam(lParam);
    for (const Button& button : Buttons()) {
        if (button.area.Contains(at)) {
            switch (button.action) {
            case kCancel:
                Cancel();
                break;
            case kFinish:
                Finish();
                break;
            case kRedo:
                RedoWorst();
                break;
            default:
                break;
            }
            return 0;
        }
    }
    if (m_stage != Stage::Verifying || !m_verification) {
        return 0;
    }
    const Point cross = *m_verification->Current();
    m_verification->Press(at);
    m_log.Press(m_verification->Pressed(), at, cross);
    if (m_verification->Done()) {
        m_log.CheckResult(m_verification->Result());
        ShowStage(Stage::Result);
        return 0;
    }
    m_log.Check(m_verification->Pressed() + 1, *m_verification->Current());
    Invalidate();
    return 0;
}

void COrientWnd::RedoWorst() {
    if (!m_verification || !m_verification->Done()) {
        return;
    }
    const Point worst = m_verification->Cross(m_verification->Result().worst);
    const GridIndex again = NearestTarget(m_run.Grid().Layout(), worst, Width(), Height());
    m_log.Again(again);
    m_run = CalibrationRun(m_run.Grid(), again);
    m_verification.reset();
    StartRound();
}

LResult COrientWnd::OnKeyDown(WParam key, LParam) {
    if (key == vk::kEscape) {
        OnClose();
    }
    return 0;
}

void COrientWnd::OnClose() {
    if (m_stage == Stage::Verifying || m_stage == Stage::Result) {
        Finish();
    } else {
        Cancel();
    }
}

void COrientWnd::Cancel() {
    m_reader.Stop();
    KillTimer(kConnectTimer);
    KillTimer(kPromptTimer);
    EndRound(RoundEnd::NothingNew);
    m_log.Write("cancelled");
    EndModalLoop(kCancelled);
}

void COrientWnd::Finish() {
    m_reader.Stop();
    EndRound(RoundEnd::NothingNew);
    m_log.Write("finished");
    EndModalLoop(kFinished);
}

void COrientWnd::ShowStage(Stage stage) {
    m_stage = stage;
    Invalidate();
}

void COrientWnd::LogTarget() {
    if (const auto target = m_run.Current()) {
        m_log.Target(m_run.Step(), m_run.Steps(),
                     TargetPixel(m_run.Grid().Layout(), *target, Width(), Height()));
    }
}

OrientScene COrientWnd::Scene() const {
    return {m_stage,
            m_texts,
            m_run,
            m_verification ? &*m_verification : nullptr,
            Width(),
            Height(),
            m_monitor.deviceName};
}

std::vector<Button> COrientWnd::Buttons() const {
    return SceneButtons(Scene());
}

void COrientWnd::OnPaint(Canvas& canvas) {
    PaintScene(canvas, Scene());
}

} // namespace orient
