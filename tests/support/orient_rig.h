#pragma once

#include "driver/ipc/orientation_pipe.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"
#include "orient/orient_ids.h"
#include "orient/orient_wnd.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_mouse.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/files.h"
#include "tests/support/poll.h"
#include "tests/support/reader_rig.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace testing_support {

// The board under a screen pixel: what a calibration has to find out.
using BoardOfPixel = std::function<driver::GridPoint(double x, double y)>;

// A board hung a little crooked: turned and sheared against the screen.
inline driver::GridPoint CrookedBoard(double x, double y) {
    return {1200.0 + 6.9 * x + 0.12 * y, 900.0 + 12.8 * y - 0.1 * x};
}

inline driver::BoardPoint Rounded(driver::GridPoint point) {
    return {static_cast<std::int32_t>(std::lround(point.x)),
            static_cast<std::int32_t>(std::lround(point.y))};
}

// One contact at a board point: touches frames that jitter by a unit, the
// first two landing up to 18 units off (a spread of 36), then the lift.
// jitter widens the steady part's jitter, as a hand that wanders.
inline std::vector<driver::PenFrame> ContactAt(driver::BoardPoint at, int touches,
                                               std::uint32_t seed, int jitter = 1) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> small(-jitter, jitter);
    std::vector<driver::PenFrame> frames;
    for (int k = 0; k < touches; ++k) {
        const int landing = k == 0 ? 18 : (k == 1 ? -17 : 0);
        frames.push_back(
            Frame(0xEE, 0x81, at.x + landing + small(random), at.y - landing + small(random)));
    }
    frames.push_back(Frame(0xEE, 0x83, at.x, at.y));
    return frames;
}

// What the calibration program shows, from its latest paint.
struct OrientView {
    // A cross: a level and an upright line that halve each other, longer
    // than the error marks of the result picture.
    std::vector<platform::Point> crosses;
    std::vector<std::string> texts;
};

inline OrientView ViewOf(const std::vector<platform::DrawnShape>& picture) {
    using Kind = platform::DrawnShape::Kind;
    OrientView view;
    for (const auto& level : picture) {
        if (level.kind == Kind::Text) {
            view.texts.push_back(level.text);
        }
        if (level.kind != Kind::Line || level.from.y != level.to.y ||
            level.to.x - level.from.x < 2 * orient::kCrossArm) {
            continue;
        }
        const platform::Point centre{(level.from.x + level.to.x) / 2, level.from.y};
        for (const auto& upright : picture) {
            if (upright.kind == Kind::Line && upright.from.x == centre.x &&
                upright.to.x == centre.x && (upright.from.y + upright.to.y) / 2 == centre.y) {
                view.crosses.push_back(centre);
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
        : m_install(m_dir.Path() / "Board"), screen(width, height) {
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
    void WriteSettings(std::string_view content) const {
        std::ofstream(Installed("DualData.ini"), std::ios::binary | std::ios::trunc) << content;
    }
    std::string Text(std::string_view key) {
        return profile.GetText(orient::kLanguageSection, key, "", Installed("Language.ini"));
    }

    platform::WindowHandle StartDriver() {
        driver = desktop.CreateLoggingWindow(std::string(orient::kDriverWindowClass),
                                             std::string(orient::kDriverWindowTitle));
        return driver;
    }
    std::vector<platform::PostedMessage> DriverMessages() const {
        return desktop.MessagesTo(driver);
    }

    // A server instance of the orientation pipe, as the driver makes one
    // for 0x443; back once it waits for the program.
    void ServePipe() {
        ClosePipe();
        m_pipe = std::make_unique<driver::OrientationPipe>(ipc);
        m_opened = std::async(std::launch::async, [this] {
            return m_pipe->Open(2, std::string(orient::kOrientationPipe));
        });
        ASSERT_TRUE(WaitUntil(
            [&] { return ipc.PipeInstances(std::string(orient::kOrientationPipe)) == 1; }));
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
        const std::size_t before = desktop.PostsTo(window->GetSafeHwnd(), orient::kFrameArrived);
        for (const driver::PenFrame& frame : frames) {
            m_pipe->Write(frame.data(), static_cast<int>(frame.size()));
        }
        ASSERT_TRUE(WaitUntil([&] {
            return desktop.PostsTo(window->GetSafeHwnd(), orient::kFrameArrived) ==
                   before + frames.size();
        }));
    }

    OrientView View() const { return ViewOf(desktop.Picture(window->GetSafeHwnd())); }

    // The calibration the driver loads from the settings file now.
    driver::CalibrationGrid LoadedGrid() {
        return driver::ReadCalibration(driver::Calibration{}, profile, screen,
                                       Installed("DualData.ini"))
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
        window = std::make_unique<orient::COrientWnd>(ports);
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
    platform::SimMouse screen;
    platform::SimThreadPort threads;
    platform::SimTrace trace;
    platform::SimIpcPort ipc{trace};
    orient::OrientPorts ports{desktop, clock, profile, files, security, screen, threads, ipc};
    platform::WindowHandle driver = platform::kNoWindow;
    std::unique_ptr<orient::COrientWnd> window;
};

} // namespace testing_support
