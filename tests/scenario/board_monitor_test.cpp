#include "common/board_monitor_record.h"
#include "common/program_contract.h"
#include "driver/app/dravik_dlg.h"
#include "driver/pen/pen_frame.h"
#include "platform/device_notification_port.h"
#include "platform/window_messages.h"
#include "tests/support/board_frames.h"
#include "tests/support/desktop_points.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace driver {
namespace {

using platform::DesktopRect;
using platform::MonitorInfo;
using platform::MouseRecord;
using platform::SimDisplay;
using testing_support::DesktopPoint;
using testing_support::Frame;
using testing_support::LandsAt;
namespace file = contract::settings_file;

const MonitorInfo kPrimary = SimDisplay::Monitor(1, {0, 0, 1920, 1080}, true);
const MonitorInfo kRight = SimDisplay::Monitor(2, {1920, 0, 3200, 1024});
const MonitorInfo kLeft = SimDisplay::Monitor(2, {-1280, 0, 0, 1024});
const MonitorInfo kAbove = SimDisplay::Monitor(2, {0, -1024, 1280, 0});

MonitorInfo Moved(MonitorInfo monitor, DesktopRect bounds) {
    monitor.bounds = bounds;
    return monitor;
}

// A 2 x 2 grid: board 1000..15000 across and 1000..11000 down onto 10 %..90 %
// of the board's screen, so the board's middle is the screen's middle.
constexpr std::int32_t kMiddleX = 8000;
constexpr std::int32_t kMiddleY = 6000;
const char* const kGrid = "[coordinate]\r\nwdot=2\r\nhdot=2\r\n"
                          "dot(0,0).x=1000\r\ndot(0,0).y=1000\r\n"
                          "dot(1,0).x=15000\r\ndot(1,0).y=1000\r\n"
                          "dot(0,1).x=1000\r\ndot(0,1).y=11000\r\n"
                          "dot(1,1).x=15000\r\ndot(1,1).y=11000\r\n";

using Section = std::vector<std::pair<std::string_view, std::string>>;

Section Stored(const MonitorInfo& m) {
    return {{file::kMonitorIdKey, m.deviceId},
            {file::kMonitorNameKey, m.deviceName},
            {file::kMonitorLeftKey, std::to_string(m.bounds.left)},
            {file::kMonitorTopKey, std::to_string(m.bounds.top)},
            {file::kMonitorRightKey, std::to_string(m.bounds.right)},
            {file::kMonitorBottomKey, std::to_string(m.bounds.bottom)}};
}

Section With(Section section, std::string_view key, const std::string& value) {
    for (auto& [k, v] : section) {
        if (k == key) {
            v = value;
        }
    }
    return section;
}

// The driver on a machine of the given monitors with the grid above and the
// section; the scene's touches reach the reader's dispatch directly.
class MonitorScene {
public:
    MonitorScene(std::vector<MonitorInfo> monitors, const Section& section) {
        m_machine.display.SetMonitors(std::move(monitors));
        m_machine.WriteInstalled("DualData.ini", kGrid);
        const std::string path = m_machine.InstalledFile("DualData.ini");
        for (const auto& [key, value] : section) {
            m_machine.profile.WriteString(file::kMonitorSection, key, value, path);
        }
    }

    // After the first search for a board, which loads the calibration.
    static constexpr std::uint64_t kLoaded = 2100;
    // Before the next search, which would load it again anyway.
    static constexpr std::uint64_t kBeforeNextLoad = 3900;

    void At(std::uint64_t atMs, std::function<void()> step) {
        m_machine.desktop.At(atMs, std::move(step));
    }
    void Touch(std::int32_t x, std::int32_t y) {
        Dispatch(Frame(frame_header::kFirstPen, pen_status::kTouch, x, y));
    }
    void Lift(std::int32_t x, std::int32_t y) {
        Dispatch(Frame(frame_header::kFirstPen, pen_status::kLift, x, y));
    }
    void Tap(std::int32_t x, std::int32_t y) {
        Touch(x, y);
        Lift(x, y);
    }
    // Every kind of touch: taps over the board and beyond it, a stroke, a
    // long press, and a double tap ending at the board's middle.
    void EveryKindOfTouch(std::uint64_t atMs) {
        At(atMs, [this] {
            for (const std::int32_t x : {1, 1000, kMiddleX, 15000, 16383}) {
                for (const std::int32_t y : {1, 1000, kMiddleY, 11000, 16383}) {
                    Tap(x, y);
                }
            }
            for (std::int32_t x = 500; x < 16000; x += 250) {
                Touch(x, x / 2);
            }
            Lift(16000, 8000);
            for (int frame = 0; frame < 130; ++frame) {
                Touch(4000, 4000);
            }
            Lift(4000, 4000);
        });
        At(atMs + 100, [this] { Tap(kMiddleX - 80, kMiddleY); });
        At(atMs + 300, [this] {
            m_middleFrom = m_machine.mouse.Records().size();
            Tap(kMiddleX, kMiddleY);
        });
    }
    void ChangeMonitors(std::uint64_t atMs, std::vector<MonitorInfo> monitors,
                        std::uint32_t message, platform::WParam wParam) {
        At(atMs, [this, monitors = std::move(monitors), message, wParam] {
            m_machine.display.SetMonitors(monitors);
            m_recordsBefore = m_machine.mouse.Records().size();
            m_machine.desktop.PostMessage(Driver(), message, wParam, 0);
        });
    }

    void Run(std::uint64_t endAtMs = kBeforeNextLoad + 50) {
        At(endAtMs, [this] { m_machine.desktop.PressEscape(Driver()); });
        CDravikDlg dialog(m_process.ports, m_state);
        m_dialog = &dialog;
        dialog.DoModal();
        m_dialog = nullptr;
    }

    // The mouse calls after the change, or all of them.
    std::vector<MouseRecord> Records(bool afterChange) const {
        const std::vector<MouseRecord> all = m_machine.mouse.Records();
        return {all.begin() + static_cast<std::ptrdiff_t>(afterChange ? m_recordsBefore : 0),
                all.end()};
    }
    // The mouse calls of the last tap at the board's middle: the double tap.
    std::vector<MouseRecord> MiddleTap() const {
        const std::vector<MouseRecord> all = m_machine.mouse.Records();
        return {all.begin() + static_cast<std::ptrdiff_t>(m_middleFrom), all.end()};
    }
    std::vector<std::string> MonitorTraces() const {
        std::vector<std::string> lines;
        for (const auto& line : m_machine.trace.Lines()) {
            if (line.call == "BoardMonitor") {
                lines.push_back(line.subject);
            }
        }
        return lines;
    }

private:
    platform::WindowHandle Driver() {
        return m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                            contract::driver_window::kTitle);
    }
    void Dispatch(const PenFrame& frame) { m_dialog->Pipeline().dispatcher.Dispatch(frame); }

    testing_support::SimMachine m_machine;
    testing_support::SimProcess m_process{m_machine};
    DriverState m_state;
    CDravikDlg* m_dialog = nullptr;
    std::size_t m_recordsBefore = 0;
    std::size_t m_middleFrom = 0;
};

// Every call lands on the monitor, the board's middle at the monitor's
// middle, and the double tap where the single tap before it went down.
void ExpectAllOn(const std::vector<MouseRecord>& records, const std::vector<MouseRecord>& middle,
                 const std::vector<MonitorInfo>& monitors, const MonitorInfo& on) {
    ASSERT_FALSE(records.empty());
    const bool virtualDesk = !on.primary;
    for (const MouseRecord& r : records) {
        const DesktopPoint p = LandsAt(r, monitors);
        EXPECT_TRUE(testing_support::Inside(p, on.bounds)) << p.x << "," << p.y;
        if (r.kind == MouseRecord::Kind::Event) {
            EXPECT_EQ((r.flags & platform::mouse_flags::kVirtualDesk) != 0, virtualDesk);
        }
    }
    const int midX = on.bounds.left + on.bounds.Width() / 2;
    const int midY = on.bounds.top + on.bounds.Height() / 2;
    int doubleClicks = 0;
    for (const MouseRecord& r : middle) {
        const DesktopPoint p = LandsAt(r, monitors);
        EXPECT_NEAR(p.x, midX, 1);
        EXPECT_NEAR(p.y, midY, 1);
        doubleClicks += r.kind == MouseRecord::Kind::Event &&
                        (r.flags & platform::mouse_flags::kLeftDown) != 0 &&
                        (r.flags & platform::mouse_flags::kMove) == 0;
    }
    EXPECT_EQ(doubleClicks, 2) << "the middle tap completes a double tap";
}

struct StartCase {
    const char* name;
    std::vector<MonitorInfo> monitors;
    Section section;
    int boardOn; // index into monitors
    bool traced;
    friend void PrintTo(const StartCase& k, std::ostream* out) { *out << k.name; }
};

const std::string kLongId(200, 'x');

const StartCase kStartCases[] = {
    {"OneMonitorNoChoice", {kPrimary}, {}, 0, false},
    {"TwoMonitorsNoChoice", {kPrimary, kRight}, {}, 0, false},
    {"PrimaryChosen", {kPrimary, kRight}, Stored(kPrimary), 0, false},
    {"SecondaryRight", {kPrimary, kRight}, Stored(kRight), 1, false},
    {"SecondaryLeft", {kPrimary, kLeft}, Stored(kLeft), 1, false},
    {"SecondaryAbove", {kAbove, kPrimary}, Stored(kAbove), 0, false},
    {"FoundByIdAfterMovingAndRenumbering",
     {kPrimary,
      [] {
          MonitorInfo m = Moved(kRight, {1920, 0, 3840, 1200});
          m.deviceName = "\\\\.\\DISPLAY7";
          return m;
      }()},
     Stored(kRight),
     1,
     false},
    {"FoundByRectangleWhenTheIdIsNew",
     {kPrimary, kRight},
     With(Stored(kRight), file::kMonitorIdKey, "\\\\?\\DISPLAY#OTHER#1"),
     1,
     false},
    {"GoneMapsOntoThePrimary", {kPrimary}, Stored(kRight), 0, true},
    {"RectangleNotNumbers",
     {kPrimary, kRight},
     With(Stored(kRight), file::kMonitorLeftKey, "left"),
     0,
     true},
    {"RectangleOfNoArea",
     {kPrimary, kRight},
     With(Stored(kRight), file::kMonitorRightKey, "1920"),
     0,
     true},
    {"RectangleInsideOut",
     {kPrimary, kRight},
     With(Stored(kRight), file::kMonitorBottomKey, "-5"),
     0,
     true},
    {"IdTooLong", {kPrimary, kRight}, With(Stored(kRight), file::kMonitorIdKey, kLongId), 0, true},
    {"HalfASection", {kPrimary, kRight}, {{file::kMonitorIdKey, kRight.deviceId}}, 0, true},
};

class BoardMonitorAtStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(BoardMonitorAtStart, EveryTouchLandsOnTheBoardsMonitor) {
    const StartCase& k = GetParam();
    MonitorScene scene(k.monitors, k.section);
    scene.EveryKindOfTouch(MonitorScene::kLoaded);
    scene.Run();
    ExpectAllOn(scene.Records(false), scene.MiddleTap(), k.monitors,
                k.monitors[static_cast<std::size_t>(k.boardOn)]);
    // Said once, not at every search for a board.
    EXPECT_EQ(scene.MonitorTraces().size(), k.traced ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BoardMonitorAtStart, ::testing::ValuesIn(kStartCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct ChangeCase {
    const char* name;
    std::vector<MonitorInfo> after; // the board was chosen on kRight of {kPrimary, kRight}
    std::uint32_t message;
    platform::WParam wParam;
    int boardOnAfter; // index into after; -1: the mapping of before stays
    bool traced;
    std::uint64_t touchAfterMs = 100;
    friend void PrintTo(const ChangeCase& k, std::ostream* out) { *out << k.name; }
};

const ChangeCase kChangeCases[] = {
    {"ResolutionChanged",
     {kPrimary, Moved(kRight, {1920, 0, 2944, 768})},
     platform::wm::kDisplayChange,
     0,
     1,
     false},
    {"MovedLeftOfThePrimary",
     {kPrimary, Moved(kRight, {-1280, 0, 0, 1024})},
     platform::wm::kSettingChange,
     platform::spi::kSetWorkArea,
     1,
     false},
    {"ScalingChanged",
     {kPrimary, Moved(kRight, {1920, 0, 4480, 2048})},
     platform::wm::kDpiChanged,
     0,
     1,
     false},
    {"Unplugged",
     {kPrimary},
     platform::wm::kDeviceChange,
     platform::dbt::kDevNodesChanged,
     0,
     true},
    // As some systems do: the driver finds the change itself, at its next look.
    {"ChangedWithoutAMessage",
     {kPrimary, Moved(kRight, {1920, 0, 2944, 768})},
     platform::wm::kNull,
     0,
     1,
     false,
     2000},
    {"SwitchedOffWithoutAMessage", {kPrimary}, platform::wm::kNull, 0, 0, true, 2000},
    {"AnotherSettingChangesNothing",
     {kPrimary, Moved(kRight, {1920, 0, 2944, 768})},
     platform::wm::kSettingChange,
     0,
     -1,
     false},
};

class BoardMonitorChanges : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(BoardMonitorChanges, TouchesFollowTheMonitorWithoutARestart) {
    const ChangeCase& k = GetParam();
    const std::vector<MonitorInfo> before = {kPrimary, kRight};
    MonitorScene scene(before, Stored(kRight));
    scene.ChangeMonitors(MonitorScene::kLoaded, k.after, k.message, k.wParam);
    scene.EveryKindOfTouch(MonitorScene::kLoaded + k.touchAfterMs);
    scene.Run(MonitorScene::kLoaded + k.touchAfterMs + 400);
    if (k.boardOnAfter < 0) {
        ExpectAllOn(scene.Records(true), scene.MiddleTap(), before, kRight);
    } else {
        ExpectAllOn(scene.Records(true), scene.MiddleTap(), k.after,
                    k.after[static_cast<std::size_t>(k.boardOnAfter)]);
    }
    EXPECT_EQ(scene.MonitorTraces().size(), k.traced ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Changes, BoardMonitorChanges, ::testing::ValuesIn(kChangeCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(BoardMonitorReturns, ThePenGoesBackToItAndTheTraceSaysSo) {
    const std::vector<MonitorInfo> both = {kPrimary, kRight};
    MonitorScene scene(both, Stored(kRight));
    scene.ChangeMonitors(MonitorScene::kLoaded, {kPrimary}, platform::wm::kDisplayChange, 0);
    scene.ChangeMonitors(MonitorScene::kLoaded + 100, both, platform::wm::kDisplayChange, 0);
    scene.EveryKindOfTouch(MonitorScene::kLoaded + 200);
    scene.Run();
    ExpectAllOn(scene.Records(true), scene.MiddleTap(), both, kRight);
    EXPECT_EQ(scene.MonitorTraces().size(), 2U) << "gone, then back";
}

} // namespace
} // namespace driver
