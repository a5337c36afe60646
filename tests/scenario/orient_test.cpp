#include "orient/grid_layout.h"
#include "orient/orient_ids.h"
#include "orient/orient_texts.h"
#include "platform/window_messages.h"
#include "tests/support/orient_rig.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using orient::COrientWnd;
using Stage = orient::COrientWnd::Stage;
using platform::Point;
using platform::PostedMessage;
using testing_support::ContactAt;
using testing_support::CrookedBoard;
using testing_support::OrientRig;
using testing_support::Rounded;
using testing_support::Shows;
using testing_support::UnderCross;

constexpr std::uint32_t kStart = contract::driver_message::kOrientationStart;
constexpr std::uint32_t kDone = contract::driver_message::kOrientationDone;
const PostedMessage kStarted{0, kStart, 0, 0};
const PostedMessage kReload{0, kDone, 0, 0};
const PostedMessage kNothingNew{0, kDone, 1, 0};

// The driver's messages without their times.
std::vector<PostedMessage> Untimed(std::vector<PostedMessage> messages) {
    for (PostedMessage& message : messages) {
        message.atMs = 0;
    }
    return messages;
}

void SetGrid(OrientRig& rig, const char* wdot, const char* hdot) {
    rig.profile.WriteString(contract::settings_file::kCoordinateSection,
                            contract::settings_file::kColumnsKey, wdot,
                            rig.Installed("DualData.ini"));
    rig.profile.WriteString(contract::settings_file::kCoordinateSection,
                            contract::settings_file::kRowsKey, hdot, rig.Installed("DualData.ini"));
}

// A user with a pen on a crooked board: a steady, noisy contact on every
// target shown, a press through the driver's new grid on every check cross
// (off by `miss` on the cross numbered missAt), then whatever `atResult` does.
struct PenUser {
    explicit PenUser(OrientRig& r) : rig(r) {}

    OrientRig& rig;
    std::map<std::pair<int, int>, Point> targets; // seen, by where they were shown
    std::vector<std::string> progress;            // the progress text of each target
    Point miss{};
    int missAt = -1;
    std::function<bool()> atResult = [this] {
        rig.desktop.PressEscape(rig.window->GetSafeHwnd());
        return false;
    };
    std::uint32_t seed = 1;

    bool operator()() {
        const testing_support::OrientView view = rig.View();
        switch (rig.window->CurrentStage()) {
        case Stage::Collecting: {
            EXPECT_EQ(view.crosses.size(), 1U) << "one target at a time";
            if (view.crosses.empty()) {
                return false;
            }
            const Point cross = view.crosses.front();
            targets[{cross.x, cross.y}] = cross;
            progress.push_back(view.texts.empty() ? "" : view.texts.front());
            rig.Send(ContactAt(Rounded(UnderCross(cross)), 14, seed++));
            return true;
        }
        case Stage::Verifying: {
            EXPECT_EQ(view.crosses.size(), 1U);
            const Point cross = view.crosses.at(0);
            Point press = rig.PressThroughDriver(UnderCross(cross));
            if (missAt-- == 0) {
                press = {press.x + miss.x, press.y + miss.y};
            }
            rig.desktop.ClickAt(rig.window->GetSafeHwnd(), press);
            return true;
        }
        case Stage::Result:
            return atResult();
        default:
            ADD_FAILURE() << "stage " << static_cast<int>(rig.window->CurrentStage());
            return false;
        }
    }
};

TEST(OrientRun, NoisyContactsOnEveryTargetGiveTheBoardWithinOneUnit) {
    struct Case {
        const char* name = "";
        const char* wdot = nullptr; // none: the shipped 3 x 3
        const char* hdot = nullptr;
        orient::GridLayout layout;
    };
    const Case cases[] = {
        {"2 x 2", "2", "2", {2, 2}},
        {"3 x 3 as shipped", nullptr, nullptr, {3, 3}},
        {"5 x 4", "5", "4", {5, 4}},
        {"4 x 4, which the driver maps as 5 x 4", "4", "4", {5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrientRig rig;
        if (c.wdot != nullptr) {
            SetGrid(rig, c.wdot, c.hdot);
        }
        rig.StartDriver();
        rig.ServePipe();
        PenUser user{rig};
        EXPECT_EQ(rig.Run(std::ref(user)), COrientWnd::kFinished);

        const int count = orient::TargetCount(c.layout);
        ASSERT_EQ(user.progress.size(), static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            EXPECT_EQ(user.progress[static_cast<std::size_t>(k)],
                      orient::FillIn(rig.Text("IDS_ORIENT_PROGRESS"),
                                     {std::to_string(k + 1), std::to_string(count)}));
        }
        EXPECT_EQ(Untimed(rig.DriverMessages()), (std::vector{kStarted, kReload}));
        const driver::CalibrationGrid grid = rig.LoadedGrid();
        EXPECT_EQ(grid.ColumnCount, c.layout.columns);
        EXPECT_EQ(grid.RowCount, c.layout.rows);
        ASSERT_EQ(user.targets.size(), static_cast<std::size_t>(count));
        for (int i = 0; i < grid.ColumnCount; ++i) {
            for (int j = 0; j < grid.RowCount; ++j) {
                const auto& target =
                    grid.ScreenTargets[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
                const auto& board =
                    grid.BoardPoints[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
                ASSERT_TRUE(
                    user.targets.contains({static_cast<int>(target.x), static_cast<int>(target.y)}))
                    << "no target shown at the driver's target " << i << "," << j;
                const driver::GridPoint truth = CrookedBoard(target.x, target.y);
                EXPECT_LE(std::abs(board.x - truth.x), 1.0) << i << "," << j;
                EXPECT_LE(std::abs(board.y - truth.y), 1.0) << i << "," << j;
            }
        }
        const auto residual = rig.window->LastResidual();
        ASSERT_TRUE(residual);
        EXPECT_LT(residual->largest, 1.0) << "a press lands in the cross's own pixel";
    }
}

TEST(OrientRun, ARefusedContactKeepsItsTargetAndSaysWhy) {
    struct Case {
        const char* name;
        const char* hintKey;
        // The second target's contact, given the first target's board point
        // and its own.
        std::function<std::vector<driver::PenFrame>(driver::BoardPoint, driver::BoardPoint)> bad;
    };
    const Case cases[] = {
        {"nine frames", "IDS_ORIENT_TOO_SHORT",
         [](auto, auto own) {
             return ContactAt(own, 9, 3);
         }},
        {"a pen that slides 45 units", "IDS_ORIENT_WANDERED",
         [](auto, auto own) {
             std::vector<driver::PenFrame> frames;
             frames.reserve(17);
             for (int k = 0; k < 16; ++k) {
                 frames.push_back(testing_support::Frame(0xEE, 0x81, own.x + 3 * k, own.y));
             }
             frames.push_back(testing_support::Frame(0xEE, 0x83, own.x, own.y));
             return frames;
         }},
        {"the first target touched again", "IDS_ORIENT_FOLDED",
         [](auto first, auto) {
             return ContactAt({first.x + 20, first.y}, 14, 4);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrientRig rig;
        const std::string before = rig.Settings();
        rig.StartDriver();
        rig.ServePipe();
        std::vector<testing_support::OrientView> views;
        driver::BoardPoint first;
        rig.Run([&] {
            views.push_back(rig.View());
            const Point cross = views.back().crosses.at(0);
            const driver::BoardPoint own = Rounded(UnderCross(cross));
            switch (views.size()) {
            case 1:
                first = own;
                rig.Send(ContactAt(own, 14, 1));
                return true;
            case 2:
                rig.Send(c.bad(first, own));
                return true;
            case 3:
                rig.Send(ContactAt(own, 14, 2));
                return true;
            default:
                rig.desktop.PressEscape(rig.window->GetSafeHwnd());
                return false;
            }
        });
        ASSERT_EQ(views.size(), 4U);
        EXPECT_EQ(views[2].crosses, views[1].crosses) << "the same target stays";
        EXPECT_TRUE(Shows(views[2], rig.Text(c.hintKey)));
        EXPECT_FALSE(Shows(views[1], rig.Text(c.hintKey)));
        EXPECT_NE(views[3].crosses, views[2].crosses) << "a good contact takes it";
        EXPECT_FALSE(Shows(views[3], rig.Text(c.hintKey)));
        EXPECT_EQ(rig.Settings(), before);
    }
}

TEST(OrientRun, CancelWritesNothingAndTellsTheDriverNothingIsNew) {
    using Cancel = std::function<void(OrientRig&)>;
    const auto hwnd = [](OrientRig& rig) {
        return rig.window->GetSafeHwnd();
    };
    const std::pair<const char*, Cancel> ways[] = {
        {"Escape",
         [&](OrientRig& rig) {
             rig.desktop.PressEscape(hwnd(rig));
         }},
        {"a close",
         [&](OrientRig& rig) {
             rig.desktop.PostMessage(hwnd(rig), 0x10, 0, 0);
         }},
        {"the driver's close (1, 1)",
         [&](OrientRig& rig) {
             rig.desktop.PostMessage(hwnd(rig), 0x10, 1, 1);
         }},
        {"the cancel button",
         [&](OrientRig& rig) {
             const platform::Rect area = rig.window->Buttons().at(0).area;
             rig.desktop.ClickAt(hwnd(rig), {area.left + 5, area.top + 5});
         }},
    };
    struct When {
        const char* name;
        int taken; // targets before the cancel
        bool prompt;
    };
    const When whens[] = {
        {"before any target", 0, false},
        {"after 8 targets", 8, false},
        {"during the monitor prompt", 0, true},
    };
    for (const auto& way : ways) {
        const Cancel& cancel = way.second;
        for (const When& when : whens) {
            SCOPED_TRACE(testing::Message() << way.first << " " << when.name);
            OrientRig rig;
            if (when.prompt) {
                rig.SetMonitors({platform::SimDisplay::Monitor(1, {0, 0, 1920, 1080}, true),
                                 platform::SimDisplay::Monitor(2, {1920, 0, 3200, 1024})});
            }
            const std::string before = rig.Settings();
            rig.StartDriver();
            rig.ServePipe();
            int steps = 0;
            const platform::LResult result = rig.Run([&] {
                EXPECT_EQ(rig.window->CurrentStage() == Stage::ChoosingMonitor, when.prompt);
                if (steps++ < when.taken) {
                    const Point cross = rig.View().crosses.at(0);
                    rig.Send(ContactAt(Rounded(UnderCross(cross)), 14, 5));
                    return true;
                }
                cancel(rig);
                return false;
            });
            EXPECT_EQ(result, COrientWnd::kCancelled);
            EXPECT_EQ(rig.Settings(), before);
            EXPECT_EQ(Untimed(rig.DriverMessages()), (std::vector{kStarted, kNothingNew}));
        }
    }
}

TEST(OrientRun, TheCheckTakesTheWorstTargetAgainWhenAsked) {
    OrientRig rig;
    rig.StartDriver();
    rig.ServePipe();
    PenUser user{rig};
    user.miss = {24, -7};
    user.missAt = 2;
    int results = 0;
    std::vector<Point> crosses;
    driver::CalibrationGrid firstGrid;
    user.atResult = [&] {
        if (results++ > 0) {
            rig.desktop.PressEscape(rig.window->GetSafeHwnd());
            return false;
        }
        EXPECT_NEAR(rig.window->LastResidual()->largest, 25.0, 1.5);
        EXPECT_EQ(rig.window->LastResidual()->worst, 2);
        EXPECT_TRUE(Shows(rig.View(), orient::FillIn(rig.Text("IDS_ORIENT_SCALE"),
                                                     {std::to_string(orient::kErrorScale)})));
        firstGrid = rig.LoadedGrid();
        user.targets.clear();
        rig.ServePipe();
        const auto buttons = rig.window->Buttons();
        EXPECT_EQ(buttons.size(), 2U);
        const platform::Rect redo = buttons.at(0).area;
        rig.desktop.ClickAt(rig.window->GetSafeHwnd(), {redo.left + 3, redo.bottom - 3});
        return true;
    };
    // The check's crosses, as the window draws them while it asks for each.
    auto step = [&] {
        if (rig.window->CurrentStage() == Stage::Verifying) {
            crosses.push_back(rig.View().crosses.at(0));
        }
        return user();
    };
    EXPECT_EQ(rig.Run(step), COrientWnd::kFinished);

    EXPECT_EQ(Untimed(rig.DriverMessages()), (std::vector{kStarted, kReload, kStarted, kReload}));
    ASSERT_EQ(user.targets.size(), 1U) << "one target taken again";
    ASSERT_GE(crosses.size(), 3U);
    const Point worst = crosses[2];
    const Point again = user.targets.begin()->second;
    double nearest = 1e9;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const auto& target =
                firstGrid.ScreenTargets[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
            nearest = std::min(nearest, std::hypot(target.x - worst.x, target.y - worst.y));
        }
    }
    EXPECT_NEAR(std::hypot(again.x - worst.x, again.y - worst.y), nearest, 1.0);
    EXPECT_LT(rig.window->LastResidual()->largest, 2.0) << "the second check";
}

TEST(OrientRun, NoDriverOrNoPipeSaysSoAndLetsTheUserOut) {
    struct Case {
        const char* name;
        bool driver;
        bool pipe;
        Stage stage;
        const char* textKey;
        std::vector<PostedMessage> posted;
    };
    const Case cases[] = {
        {"no driver", false, false, Stage::NoDriver, "IDS_ORIENT_NO_DRIVER", {}},
        {"a driver that makes no pipe",
         true,
         false,
         Stage::NoPipe,
         "IDS_ORIENT_NO_PIPE",
         {kStarted, kNothingNew}},
        {"a pipe the driver closes",
         true,
         true,
         Stage::PipeLost,
         "IDS_ORIENT_PIPE_LOST",
         {kStarted, kNothingNew}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrientRig rig;
        const std::string before = rig.Settings();
        if (c.driver) {
            rig.StartDriver();
        }
        if (c.pipe) {
            rig.ServePipe();
        }
        std::uint64_t shownAt = 0;
        const platform::LResult result = rig.Run([&] {
            const Stage stage = rig.window->CurrentStage();
            if (stage == Stage::Collecting) {
                const Point cross = rig.View().crosses.at(0);
                rig.Send(ContactAt(Rounded(UnderCross(cross)), 14, 6));
                rig.ClosePipe();
                EXPECT_TRUE(testing_support::WaitUntil([&] {
                    return rig.desktop.PostCount(rig.window->GetSafeHwnd(), orient::kPipeEnded) ==
                           1;
                }));
                return true;
            }
            if (stage != c.stage) {
                return true;
            }
            shownAt = rig.desktop.NowMs();
            EXPECT_TRUE(Shows(rig.View(), rig.Text(c.textKey)));
            const platform::Rect exit = rig.window->Buttons().at(0).area;
            EXPECT_TRUE(Shows(rig.View(), rig.Text("IDS_ORIENT_EXIT")));
            rig.desktop.ClickAt(rig.window->GetSafeHwnd(), {exit.right - 2, exit.top + 2});
            return false;
        });
        EXPECT_EQ(result, COrientWnd::kCancelled);
        EXPECT_LE(shownAt, COrientWnd::kConnectBoundMs + 2 * OrientRig::kStepMs);
        EXPECT_EQ(Untimed(rig.DriverMessages()), c.posted);
        EXPECT_EQ(rig.Settings(), before);
    }
}

TEST(OrientRun, APipeThatEndsBeforeAnyFrameIsOpenedAgain) {
    // As when the program reached an instance the driver kept from an earlier
    // request and the driver then replaced it.
    OrientRig rig;
    rig.StartDriver();
    rig.ServePipe();
    std::vector<Stage> stages;
    testing_support::OrientView last;
    rig.Run([&] {
        stages.push_back(rig.window->CurrentStage());
        last = rig.View();
        if (stages.size() == 1) {
            rig.ClosePipe();
            EXPECT_TRUE(testing_support::WaitUntil([&] {
                return rig.desktop.PostCount(rig.window->GetSafeHwnd(), orient::kPipeEnded) == 1;
            }));
            rig.ServePipe();
            return true;
        }
        if (stages.size() == 2) {
            rig.Send(ContactAt(Rounded(UnderCross(rig.View().crosses.at(0))), 14, 7));
            return true;
        }
        rig.desktop.PressEscape(rig.window->GetSafeHwnd());
        return false;
    });
    EXPECT_EQ(stages, (std::vector{Stage::Collecting, Stage::Collecting, Stage::Collecting}));
    EXPECT_TRUE(Shows(last, orient::FillIn(rig.Text("IDS_ORIENT_PROGRESS"), {"2", "9"})));
    EXPECT_EQ(Untimed(rig.DriverMessages()), (std::vector{kStarted, kNothingNew}));
}

} // namespace

namespace monitors {

using platform::DesktopRect;
using platform::MonitorInfo;
using platform::SimDisplay;

MonitorInfo Primary() {
    return SimDisplay::Monitor(1, {0, 0, 1920, 1080}, true);
}

// Which of monitors lies at bounds: its place in the list, from 1; 0 for none.
int NumberAt(const std::vector<MonitorInfo>& monitors, const DesktopRect& bounds) {
    const auto found = std::ranges::find(monitors, bounds, &MonitorInfo::bounds);
    return found == monitors.end() ? 0 : static_cast<int>(found - monitors.begin()) + 1;
}

TEST(OrientMonitor, ThePromptMovesOnUntilTheBoardIsTouchedAndTheBoardCalibratesThere) {
    struct Case {
        const char* name;
        std::vector<MonitorInfo> monitors;
        std::optional<MonitorInfo> stored; // the monitor DualData.ini names
        std::vector<int> prompts; // where the prompt shows, in turn; touched during the last
        int board;
    };
    const MonitorInfo right = SimDisplay::Monitor(2, {1920, 0, 3200, 1024});
    const MonitorInfo left = SimDisplay::Monitor(2, {-1280, -200, 0, 824});
    const MonitorInfo below = SimDisplay::Monitor(3, {0, 1080, 1024, 1848});
    const Case cases[] = {
        {"one monitor: no prompt", {Primary()}, {}, {}, 1},
        {"touched at once on the primary", {Primary(), right}, {}, {1}, 1},
        {"on to the secondary", {Primary(), right}, {}, {1, 2}, 2},
        {"round to the primary again", {Primary(), right}, {}, {1, 2, 1}, 1},
        {"a secondary left of and above the primary", {Primary(), left}, {}, {1, 2}, 2},
        {"the stored monitor first", {Primary(), right, below}, right, {2, 1, 3, 2}, 2},
        {"the primary first when the stored one is gone", {Primary(), right}, below, {1, 2}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrientRig rig;
        rig.EnableLog();
        rig.SetMonitors(c.monitors, c.stored);
        rig.StartDriver();
        rig.ServePipe();
        PenUser user{rig};
        std::vector<std::pair<int, std::uint64_t>> prompts; // monitor, since when
        std::optional<DesktopRect> targetsOn;
        bool touched = false;
        const MonitorInfo& board = c.monitors.at(static_cast<std::size_t>(c.board - 1));
        const auto step = [&] {
            if (rig.window->CurrentStage() == Stage::ChoosingMonitor) {
                const int shown = NumberAt(c.monitors, rig.WindowBounds());
                if (prompts.empty() || prompts.back().first != shown) {
                    prompts.emplace_back(shown, rig.desktop.NowMs());
                    EXPECT_TRUE(Shows(rig.View(), rig.Text("IDS_ORIENT_CHOOSE_MONITOR")));
                }
                if (prompts.size() == c.prompts.size() && !touched) {
                    // Any touch will do, not only one steady enough for a target.
                    rig.Send(ContactAt({5000, 5000}, 3, 9));
                    touched = true;
                }
                return prompts.size() <= c.prompts.size();
            }
            if (!targetsOn) {
                targetsOn = rig.WindowBounds();
            }
            return user();
        };
        EXPECT_EQ(rig.Run(step), COrientWnd::kFinished);

        std::vector<int> shown;
        for (std::size_t k = 0; k < prompts.size(); ++k) {
            shown.push_back(prompts[k].first);
            if (k > 0) {
                EXPECT_NEAR(static_cast<double>(prompts[k].second - prompts[k - 1].second),
                            COrientWnd::kPromptMs, OrientRig::kStepMs)
                    << "prompt " << k;
            }
        }
        EXPECT_EQ(shown, c.prompts);
        EXPECT_EQ(targetsOn, board.bounds);
        for (const auto& [at, target] : user.targets) {
            EXPECT_TRUE(target.x >= 0 && target.x < board.bounds.Width() && target.y >= 0 &&
                        target.y < board.bounds.Height())
                << target.x << "," << target.y;
        }
        const common::StoredMonitor stored =
            common::ReadStoredMonitor(rig.profile, rig.Installed("DualData.ini"));
        EXPECT_EQ(stored.monitor.bounds, board.bounds);
        EXPECT_EQ(stored.monitor.deviceId, board.deviceId);
        EXPECT_EQ(Untimed(rig.DriverMessages()), (std::vector{kStarted, kReload}));
        // Presses through the grid the driver binds to the stored monitor land on the crosses.
        const driver::CalibrationGrid grid = rig.LoadedGrid();
        EXPECT_EQ(grid.ScreenWidth, board.bounds.Width());
        EXPECT_EQ(grid.ScreenHeight, board.bounds.Height());
        ASSERT_TRUE(rig.window->LastResidual());
        EXPECT_LT(rig.window->LastResidual()->largest, 1.0);
        EXPECT_EQ(rig.LogLines({board.deviceName, board.deviceId,
                                c.prompts.empty() ? "as the only one" : "by a touch"})
                      .size(),
                  1U);
    }
}

TEST(OrientMonitor, TheCommandLineNamesTheMonitorOrFallsBack) {
    // The system lists a secondary left of the primary first.
    const std::vector<MonitorInfo> pair = {SimDisplay::Monitor(1, {-1280, 0, 0, 1024}),
                                           SimDisplay::Monitor(2, {0, 0, 1920, 1080}, true)};
    struct Case {
        std::vector<std::string> arguments;
        std::vector<MonitorInfo> monitors;
        Stage first;
        int shownOn;
        std::vector<std::string_view> logged; // words of one line of the log
    };
    const Case cases[] = {
        {{"/monitor", "1"}, pair, Stage::Collecting, 1, {"DISPLAY1", "chosen by /monitor 1"}},
        {{"/MONITOR", "2"}, pair, Stage::Collecting, 2, {"DISPLAY2", "chosen by /MONITOR 2"}},
        {{"/monitor", "primary"}, pair, Stage::Collecting, 2, {"DISPLAY2", "/monitor primary"}},
        {{"/monitor", "7"}, pair, Stage::ChoosingMonitor, 2, {"no monitor", "/monitor 7"}},
        {{"/monitor", "left"}, pair, Stage::ChoosingMonitor, 2, {"no monitor", "/monitor left"}},
        {{"/monitor", "7"}, {Primary()}, Stage::Collecting, 1, {"no monitor", "/monitor 7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.arguments.at(1) << " of " << c.monitors.size());
        OrientRig rig;
        rig.EnableLog();
        rig.SetMonitors(c.monitors);
        rig.arguments = c.arguments;
        rig.StartDriver();
        rig.ServePipe();
        std::optional<Stage> first;
        DesktopRect bounds;
        rig.Run([&] {
            first = rig.window->CurrentStage();
            bounds = rig.WindowBounds();
            rig.desktop.PressEscape(rig.window->GetSafeHwnd());
            return false;
        });
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(NumberAt(c.monitors, bounds), c.shownOn);
        const auto& words = c.logged;
        EXPECT_EQ(rig.LogLines({words.at(0), words.at(1)}).size(), 1U);
    }
}

} // namespace monitors
