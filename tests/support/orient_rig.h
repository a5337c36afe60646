#pragma once

#include "driver/ipc/orientation_pipe.h"
#include "driver/pointer/board_monitor.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"
#include "orient/orient_ids.h"
#include "orient/orient_wnd.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_display.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_locale.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/files.h"
#include "tests/support/poll.h"
#include "tests/support/reader_rig.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

// A board hung a little crooked: turned and sheared against the screen.
inline driver::GridPoint CrookedBoard(double x, double y) {
    return {1200.0 + 6.9 * x + 0.12 * y, 900.0 + 12.8 * y - 0.1 * x};
}

inline driver::BoardPoint Rounded(driver::GridPoint point) {
    return {static_cast<std::int32_t>(std::lround(point.x)),
            static_cast<std::int32_t>(std::lround(point.y))};
}

// One contact at a board point: the first two frames land 18 units off (a
// spread of 36), the rest jitter by up to jitter units, evenly either way,
// so that a pen at rest has its reports' median where it rests; then the
// lift.
inline std::vector<driver::PenFrame> ContactAt(driver::BoardPoint at, int touches,
                                               std::uint32_t seed, int jitter = 2) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> size(0, jitter);
    const int resting = std::max(touches - 2, 0);
    std::vector<std::pair<int, int>> offsets(static_cast<std::size_t>(resting % 2));
    while (static_cast<int>(offsets.size()) < resting) {
        const int x = size(random);
        const int y = size(random);
        offsets.insert(offsets.end(), {{x, -y}, {-x, y}});
    }
    std::shuffle(offsets.begin(), offsets.end(), random);
    offsets.insert(offsets.begin(), {{18, -18}, {-17, 17}});
    std::vector<driver::PenFrame> frames;
    for (int k = 0; k < touches; ++k) {
        const auto [x, y] = offsets[static_cast<std::size_t>(k)];
        frames.push_back(Frame(0xEE, 0x81, at.x + x, at.y + y));
    }
    frames.push_back(Frame(0xEE, 0x83, at.x, at.y));
    return frames;
}

// Where a pen touches a cross drawn on a pixel: its centre.
inline driver::GridPoint UnderCross(platform::Point cross) {
    return CrookedBoard(cross.x + 0.5, cross.y + 0.5);
}

// What the calibration program shows, from its latest paint.
struct OrientView {
    // A cross: a level and an upright bar that halve each other, as long as
    // a target's (the result picture's marks are shorter).
    std::vector<platform::Point> crosses;
    std::vector<std::string> texts;
};

inline OrientView ViewOf(const std::vector<platform::DrawnShape>& picture) {
    using Kind = platform::DrawnShape::Kind;
    const auto middle = [](const platform::Rect& r) {
        return platform::Point{(r.left + r.right - 1) / 2, (r.top + r.bottom - 1) / 2};
    };
    OrientView view;
    for (const auto& level : picture) {
        if (level.kind == Kind::Text) {
            view.texts.push_back(level.text);
        }
        const platform::Rect& bar = level.box;
        if (level.kind != Kind::Fill || bar.right - bar.left < 2 * orient::kCrossArm ||
            bar.bottom - bar.top >= orient::kCrossArm) {
            continue;
        }
        for (const auto& upright : picture) {
            const platform::Rect& other = upright.box;
            if (upright.kind == Kind::Fill && other.bottom - other.top >= 2 * orient::kCrossArm &&
                other.right - other.left < orient::kCrossArm && middle(other) == middle(bar)) {
                view.crosses.push_back(middle(bar));
            }
        }
    }
    return view;
}

inline bool Shows(const OrientView& view, const std::string& text) {
    for (const std::string& shown : view.texts) {
        if (shown.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The calibration program installed beside the shipped Language.ini and
// DualData.ini, on a simulated desktop with a running driver whose side of
// the orientation pipe the test plays.
class OrientRig {
public:
    static constexpr std::uint64_t kStepMs = 10;

    explicit OrientRig(int width = 1920, int height = 1080)
        : m_install(m_dir.Path() / "Board"), display(width, height) {
        std::filesystem::create_directories(m_install);
        for (const char* name : {"Language.ini", "DualData.ini"}) {
            std::filesystem::copy_file(std::string(DRAVIK_RESOURCE_DIR) + "/" + name,
                                       m_install / name);
        }
        files.SetModulePath((m_install / "Orient.exe").string());
        files.SetAppDataFolder((m_dir.Path() / "Roaming").string());
        security.SetUserAdmin(true);
    }
    ~OrientRig() { ClosePipe(); }

    std::string Installed(std::string_view name) const { return (m_install / name).string(); }
    std::string Settings() const { return ReadFile(Installed("DualData.ini")); }
    std::string Text(std::string_view key) {
        return profile
            .ReadText(orient::kLanguageSection, key, Installed("Language.ini"),
                      platform::TextEncoding::CodePage936)
            .text;
    }

    // Orient.log on, as a technician switches it on.
    void EnableLog() {
        profile.WriteString(contract::settings_file::kDiagnosticsSection,
                            contract::settings_file::kLogFileKey, "1", Installed("DualData.ini"));
    }
    // Orient.log's lines that hold every one of words.
    std::vector<std::string> LogLines(std::initializer_list<std::string_view> words) const {
        std::vector<std::string> found;
        std::istringstream log(ReadFile(Installed(contract::log_file::kOrient)));
        for (std::string line; std::getline(log, line);) {
            if (std::ranges::all_of(words, [&](std::string_view word) {
                    return line.find(word) != std::string::npos;
                })) {
                found.push_back(line);
            }
        }
        return found;
    }
    // The monitors of the desktop, and the one DualData.ini names.
    void SetMonitors(const std::vector<platform::MonitorInfo>& monitors,
                     const std::optional<platform::MonitorInfo>& stored = std::nullopt) {
        display.SetMonitors(monitors);
        if (stored) {
            common::WriteStoredMonitor(profile, Installed("DualData.ini"), *stored);
        }
    }
    platform::DesktopRect WindowBounds() const {
        return desktop.WindowBounds(window->GetSafeHwnd());
    }

    platform::WindowHandle StartDriver() {
        driver = desktop.CreateLoggingWindow(std::string(contract::driver_window::kClass),
                                             std::string(contract::driver_window::kTitle));
        return driver;
    }
    std::vector<platform::PostedMessage> DriverMessages() const {
        return desktop.MessagesTo(driver);
    }

    // A server instance of the orientation pipe, as the driver makes one
    // for contract::driver_message::kOrientationStart; back once it waits for the program.
    void ServePipe() {
        ClosePipe();
        m_pipe = std::make_unique<driver::OrientationPipe>(ipc, clock);
        // Made here, so that no one has to watch for it; only the wait for
        // the program needs a thread.
        ASSERT_TRUE(m_pipe->Create(std::string(contract::orientation::kPipe)));
        m_opened = std::async(std::launch::async, [this] { return m_pipe->WaitForClient(); });
    }
    // The driver's end goes; the program's reader sees the pipe end.
    void ClosePipe() {
        if (m_pipe) {
            m_pipe->CancelOpen();
            if (m_opened.valid()) {
                m_opened.wait();
            }
            m_pipe.reset();
            m_connected = false;
        }
    }

    // Writes the frames as the driver's reader does; back once the window
    // has them all in its queue.
    void Send(const std::vector<driver::PenFrame>& frames) {
        if (!m_connected && m_opened.valid() &&
            m_opened.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
            m_connected = m_opened.get();
        }
        ASSERT_TRUE(m_connected) << "the program never opened the pipe";
        const int before = desktop.PostCount(window->GetSafeHwnd(), orient::kFrameArrived);
        for (const driver::PenFrame& frame : frames) {
            m_pipe->Write(frame.data(), static_cast<int>(frame.size()));
        }
        ASSERT_TRUE(WaitUntil([&] {
            return desktop.PostCount(window->GetSafeHwnd(), orient::kFrameArrived) ==
                   before + static_cast<int>(frames.size());
        }));
    }

    OrientView View() const { return ViewOf(desktop.Picture(window->GetSafeHwnd())); }

    // The calibration the driver loads from the settings file now.
    driver::CalibrationGrid LoadedGrid() {
        platform::SimTrace loadTrace;
        const std::string path = Installed("DualData.ini");
        const driver::BoardScreen screen =
            driver::BindBoardMonitor(display.Monitors(), common::ReadStoredMonitor(profile, path))
                .screen;
        return driver::ReadCalibration(driver::Calibration{}, profile, screen, loadTrace, path)
            .grid;
    }
    // Where the pen's press lands through the calibration the driver loaded.
    platform::Point PressThroughDriver(driver::GridPoint board) {
        const driver::CalibrationGrid grid = LoadedGrid();
        const driver::BoardPoint at = Rounded(board);
        std::int32_t x = at.x;
        std::int32_t y = at.y;
        EXPECT_TRUE(driver::BoardToScreen(grid, x, y));
        return {x, y};
    }

    // Runs the program; step is called kStepMs apart, between its messages,
    // until it returns false. The program's result.
    platform::LResult Run(std::function<bool()> step) {
        window =
            std::make_unique<orient::COrientWnd>(ports, orient::ParseMonitorRequest(arguments));
        // Steps still scheduled when the program ends must not outlive it.
        auto live = std::make_shared<bool>(true);
        auto next = std::make_shared<std::function<void()>>();
        *next = [this, live, step = std::move(step), weak = std::weak_ptr(next)] {
            if (*live && step()) {
                desktop.At(kStepMs, [next = weak.lock()] {
                    if (next) {
                        (*next)();
                    }
                });
            }
        };
        desktop.At(kStepMs, [next] { (*next)(); });
        desktop.SetModalTimeLimit(desktop.NowMs() + 600'000);
        const platform::LResult result = window->Run();
        *live = false;
        return result;
    }

private:
    TempDir m_dir;
    std::filesystem::path m_install;
    std::unique_ptr<driver::OrientationPipe> m_pipe;
    std::future<bool> m_opened;
    bool m_connected = false;

public:
    platform::SimClock clock;
    mutable platform::SimDesktop desktop{clock};
    platform::IniFileProfile profile;
    platform::SimFiles files{"", ""};
    platform::SimMutexRegistry mutexes;
    platform::SimSecurity security{mutexes};
    platform::SimDisplay display;
    platform::SimThreadPort threads;
    platform::SimTrace trace;
    platform::SimIpcPort ipc{trace, clock};
    platform::SimLocale locale;
    orient::OrientPorts ports{desktop, clock,   profile, files, security,
                              display, threads, ipc,     locale};
    platform::WindowHandle driver = platform::kNoWindow;
    std::vector<std::string> arguments; // the program's command line
    std::unique_ptr<orient::COrientWnd> window;
};

} // namespace testing_support
