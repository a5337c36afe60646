#include "orient/orient_wnd.h"

#include "common/settings_location.h"
#include "orient/grid_writer.h"
#include "orient/orient_ids.h"
#include "orient/target_points.h"
#include "platform/window_messages.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace orient {

using namespace platform;

namespace {

constexpr std::uintptr_t kConnectTimer = 1;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string PointText(Point point) {
    return std::to_string(point.x) + "," + std::to_string(point.y);
}

} // namespace

COrientWnd::COrientWnd(OrientPorts& ports)
    : CWnd(ports.windows), m_ports(ports), m_log(ports.files, ports.clock), m_run(GridLayout{}),
      m_reader(ports.threads, ports.windows) {}

LResult COrientWnd::Run() {
    FilesPort& files = m_ports.files;
    m_settingsPath =
        common::LocateSettingsFile(files, m_ports.clock, m_ports.security.IsUserAdmin());
    m_texts = ReadOrientTexts(m_ports.profile,
                              common::PathInFolder(common::ExecutableFolder(files),
                                                   contract::language_file::kName, files));
    m_run = CalibrationRun(LayoutForColumns(m_ports.profile.GetInt(
        contract::settings_file::kCoordinateSection, contract::settings_file::kColumnsKey,
        contract::settings_file::kDefaultGridSize, m_settingsPath)));
    m_width = m_ports.screen.ScreenWidth();
    m_height = m_ports.screen.ScreenHeight();
    m_log.Open(m_ports.profile, m_settingsPath);
    const GridLayout& layout = m_run.Grid().Layout();
    m_log.Write("grid " + std::to_string(layout.columns) + " x " + std::to_string(layout.rows) +
                " on " + std::to_string(m_width) + " x " + std::to_string(m_height));
    WindowDescription description;
    description.className = std::string(contract::orientation::kWindowClass);
    description.title = m_texts.caption;
    description.style = ws::kPopup | ws::kVisible;
    description.exStyle = ws_ex::kTopmost;
    description.cx = m_width;
    description.cy = m_height;
    return RunModalLoop(description);
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
    return 0;
}

LResult COrientWnd::OnFrameArrived(WParam wParam, LParam lParam) {
    m_pipeBroughtFrames = true;
    if (m_stage == Stage::Collecting) {
        if (const auto contact = m_contact.OnFrame(FrameReader::Unpack(wParam, lParam))) {
            TakeContact(*contact);
        }
    }
    return 0;
}

LResult COrientWnd::OnPipeEnded(WParam generation, LParam) {
    if (m_stage == Stage::Collecting && m_reader.Running() && generation == m_reader.Generation()) {
        m_reader.Stop();
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
    static constexpr std::array<const char*, 4> kOutcome = {"taken", "too short", "wandered",
                                                            "folded"};
    m_log.Write("contact " + std::to_string(contact.frames) + " frames spread " +
                std::to_string(contact.spread) + ": " +
                kOutcome[static_cast<std::size_t>(m_run.LastRefusal())] + " " +
                Number(contact.point.x) + "," + Number(contact.point.y));
    if (m_run.Complete()) {
        SaveGrid();
        return;
    }
    if (m_run.LastRefusal() == Refusal::None) {
        LogTarget();
    }
    Invalidate();
}

void COrientWnd::SaveGrid() {
    m_reader.Stop();
    if (!WriteCalibrationGrid(m_ports.profile, m_ports.files, m_settingsPath,
                              AtTargetPoints(m_run.Grid(), Width(), Height()))) {
        m_log.Write("could not write " + m_settingsPath);
        ShowStage(Stage::SaveFailed);
        return;
    }
    m_log.Write("written " + m_settingsPath);
    EndRound(true);
    StartVerification();
}

void COrientWnd::EndRound(bool newCalibration) {
    if (!m_roundOpen) {
        return;
    }
    m_roundOpen = false;
    Windows().PostMessage(
        Windows().FindWindow(contract::driver_window::kClass, contract::driver_window::kTitle),
        contract::driver_message::kOrientationDone,
        newCalibration ? contract::driver_message::kCalibrationWritten
                       : contract::driver_message::kNothingWritten,
        0);
}

void COrientWnd::StartVerification() {
    m_stage = Stage::Verifying;
    // No cross under the button, where a press would end the check.
    m_verification.emplace(Width(), Height(), m_ports.clock.TickCount() + m_rounds,
                           Buttons().front().area);
    ShowStage(Stage::Verifying);
    m_log.Write("check 1/" + std::to_string(Verification::kCrossCount) + " at " +
                PointText(*m_verification->Current()));
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
    m_log.Write("press " + std::to_string(m_verification->Pressed()) + " at " + PointText(at) +
                " error " + Number(std::hypot(at.x - cross.x, at.y - cross.y)));
    if (m_verification->Done()) {
        const Residual residual = m_verification->Result();
        m_log.Write("residual mean " + Number(residual.mean) + " max " + Number(residual.largest) +
                    " px");
        ShowStage(Stage::Result);
        return 0;
    }
    m_log.Write("check " + std::to_string(m_verification->Pressed() + 1) + "/" +
                std::to_string(Verification::kCrossCount) + " at " +
                PointText(*m_verification->Current()));
    Invalidate();
    return 0;
}

void COrientWnd::RedoWorst() {
    if (!m_verification || !m_verification->Done()) {
        return;
    }
    const Point worst = m_verification->Cross(m_verification->Result().worst);
    const GridIndex again = NearestTarget(m_run.Grid().Layout(), worst, Width(), Height());
    m_log.Write("again target " + std::to_string(again.column) + "," + std::to_string(again.row));
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
    EndRound(false);
    m_log.Write("cancelled");
    EndModalLoop(kCancelled);
}

void COrientWnd::Finish() {
    m_reader.Stop();
    EndRound(false);
    m_log.Write("finished");
    EndModalLoop(kFinished);
}

void COrientWnd::ShowStage(Stage stage) {
    m_stage = stage;
    Invalidate();
}

void COrientWnd::LogTarget() {
    if (const auto target = m_run.Current()) {
        m_log.Write("target " + std::to_string(m_run.Step()) + "/" + std::to_string(m_run.Steps()) +
                    " at " +
                    PointText(TargetPixel(m_run.Grid().Layout(), *target, Width(), Height())));
    }
}

std::vector<Button> COrientWnd::Buttons() const {
    const int height = std::max(36, Height() / 20);
    const int width = std::max(160, Width() / 7);
    const int top = Height() - height - height / 3;
    // Between the grid's columns in every layout, below its last row.
    const auto at = [&](double centre, int action, const std::string& label) {
        const int left = static_cast<int>(centre * Width()) - width / 2;
        return Button{action, {left, top, left + width, top + height}, label};
    };
    switch (m_stage) {
    case Stage::Connecting:
    case Stage::Collecting:
        return {at(0.8, kCancel, m_texts.cancel)};
    case Stage::Verifying:
        return {at(0.8, kFinish, m_texts.finish)};
    case Stage::Result:
        return {at(0.6, kRedo, m_texts.redo), at(0.8, kFinish, m_texts.finish)};
    case Stage::NoDriver:
    case Stage::NoPipe:
    case Stage::PipeLost:
    case Stage::SaveFailed:
        return {at(0.5, kCancel, m_texts.exit)};
    }
    return {};
}

void COrientWnd::OnPaint(Canvas& canvas) {
    canvas.Fill({0, 0, canvas.Width(), canvas.Height()}, colour::kBackground);
    switch (m_stage) {
    case Stage::Connecting:
        PaintMessage(canvas, m_texts.connecting);
        break;
    case Stage::Collecting:
        PaintCollecting(canvas);
        break;
    case Stage::Verifying:
        PaintVerifying(canvas);
        break;
    case Stage::Result:
        PaintResult(canvas);
        break;
    case Stage::NoDriver:
        PaintMessage(canvas, m_texts.noDriver);
        break;
    case Stage::NoPipe:
        PaintMessage(canvas, m_texts.noPipe);
        break;
    case Stage::PipeLost:
        PaintMessage(canvas, m_texts.pipeLost);
        break;
    case Stage::SaveFailed:
        PaintMessage(canvas, m_texts.saveFailed);
        break;
    }
    for (const Button& button : Buttons()) {
        DrawButton(canvas, button);
    }
}

namespace {

int TextHeight(int screenHeight) {
    return std::max(16, screenHeight / 36);
}

// Text above a target in the lower half, below one in the upper half.
int TextTop(Point target, int screenHeight) {
    return target.y < screenHeight / 2 ? screenHeight * 3 / 5 : screenHeight / 6;
}

} // namespace

void COrientWnd::PaintCollecting(Canvas& canvas) const {
    const auto target = m_run.Current();
    if (!target) {
        return;
    }
    const Point pixel = TargetPixel(m_run.Grid().Layout(), *target, Width(), Height());
    DrawCross(canvas, pixel, colour::kTarget);
    std::string_view hint;
    switch (m_run.LastRefusal()) {
    case Refusal::TooShort:
        hint = m_texts.tooShort;
        break;
    case Refusal::Wandered:
        hint = m_texts.wandered;
        break;
    case Refusal::Folded:
        hint = m_texts.folded;
        break;
    case Refusal::None:
        break;
    }
    const std::string progress =
        FillIn(m_texts.progress, {std::to_string(m_run.Step()), std::to_string(m_run.Steps())});
    DrawLines(canvas, TextTop(pixel, Height()),
              {{progress, colour::kText},
               {m_texts.touchTarget, colour::kText},
               {hint, colour::kHint},
               {m_texts.escape, colour::kFaint}},
              TextHeight(Height()));
}

void COrientWnd::PaintVerifying(Canvas& canvas) const {
    const auto cross = m_verification ? m_verification->Current() : std::nullopt;
    if (!cross) {
        return;
    }
    DrawCross(canvas, *cross, colour::kTarget);
    const std::string progress =
        FillIn(m_texts.verifyProgress, {std::to_string(m_verification->Pressed() + 1),
                                        std::to_string(Verification::kCrossCount)});
    DrawLines(canvas, TextTop(*cross, Height()),
              {{progress, colour::kText}, {m_texts.verify, colour::kText}}, TextHeight(Height()));
}

void COrientWnd::PaintResult(Canvas& canvas) const {
    if (!m_verification) {
        return;
    }
    const Residual residual = m_verification->Result();
    const std::string result =
        FillIn(m_texts.result, {Number(residual.mean), Number(residual.largest)});
    const std::string scale = FillIn(m_texts.scale, {std::to_string(kErrorScale)});
    DrawLines(canvas, Height() / 30, {{result, colour::kText}, {scale, colour::kFaint}},
              TextHeight(Height()));
    for (int k = 0; k < m_verification->Pressed(); ++k) {
        const Point cross = m_verification->Cross(k);
        const Point press = m_verification->PressOf(k);
        const Point end{cross.x + kErrorScale * (press.x - cross.x),
                        cross.y + kErrorScale * (press.y - cross.y)};
        DrawCross(canvas, cross, colour::kFaint, kCrossArm / 2, 1);
        canvas.Line(cross, end, colour::kError, k == residual.worst ? 4 : 2);
        canvas.Circle(end, 5, colour::kError, 2);
    }
}

void COrientWnd::PaintMessage(Canvas& canvas, std::string_view text) const {
    std::string_view escape;
    if (m_stage == Stage::Connecting) {
        escape = m_texts.escape;
    }
    DrawLines(canvas, Height() * 2 / 5, {{text, colour::kText}, {escape, colour::kFaint}},
              TextHeight(Height()));
}

} // namespace orient
