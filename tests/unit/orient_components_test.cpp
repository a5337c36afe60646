#include "driver/pointer/load_calibration.h"
#include "driver/pointer/screen_targets.h"
#include "orient/contact.h"
#include "orient/frame_reader.h"
#include "orient/grid_writer.h"
#include "orient/orient_ids.h"
#include "orient/orient_texts.h"
#include "orient/target_points.h"
#include "platform/sim/ini_file_profile.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ipc.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/files.h"
#include "tests/support/grids.h"
#include "tests/support/language_files.h"
#include "tests/support/orient_rig.h"
#include "tests/support/poll.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace orient {
namespace {

using driver::GridPoint;
using testing_support::Frame;

std::vector<driver::PenFrame> Touches(std::initializer_list<std::pair<int, int>> points) {
    std::vector<driver::PenFrame> frames;
    for (const auto& [x, y] : points) {
        frames.push_back(Frame(0xEE, 0x81, x, y));
    }
    return frames;
}

std::vector<driver::PenFrame> Still(int count, int x, int y) {
    return std::vector<driver::PenFrame>(static_cast<std::size_t>(count), Frame(0xEE, 0x81, x, y));
}

TEST(ContactRule, TenStillFramesAreTakenAtTheirMedian) {
    struct Case {
        const char* name;
        std::vector<driver::PenFrame> frames;
        std::optional<ContactVerdict> verdict; // none: no contact ended
        GridPoint point;
    };
    auto with = [](std::vector<driver::PenFrame> frames,
                   std::initializer_list<driver::PenFrame> more) {
        frames.insert(frames.end(), more);
        return frames;
    };
    const driver::PenFrame lift = Frame(0xEE, 0x83, 1, 1);
    driver::PenFrame badCheck = Frame(0xEE, 0x81, 9000, 9000);
    badCheck[7] ^= 1;
    const Case cases[] = {
        {"ten still frames",
         with(Still(10, 5000, 6000), {lift}),
         ContactVerdict::Taken,
         {5000, 6000}},
        {"nine", with(Still(9, 5000, 6000), {lift}), ContactVerdict::TooShort, {5000, 6000}},
        {"spread of exactly 40",
         with(with(Still(8, 5000, 6000), {Frame(0xEE, 0x81, 4980, 6000)}),
              {Frame(0xEE, 0x81, 5020, 6000), lift}),
         ContactVerdict::Taken,
         {5000, 6000}},
        {"spread of 41 on y alone",
         with(with(Still(9, 5000, 6000), {Frame(0xEE, 0x81, 5000, 6041)}), {lift}),
         ContactVerdict::Wandered,
         {5000, 6000}},
        {"an even count takes the middle pair's mean",
         with(Touches({{5000, 6000},
                       {5001, 6001},
                       {5000, 6000},
                       {5001, 6001},
                       {5000, 6000},
                       {5001, 6001},
                       {5000, 6000},
                       {5001, 6001},
                       {5000, 6000},
                       {5001, 6001}}),
              {lift}),
         ContactVerdict::Taken,
         {5000.5, 6000.5}},
        {"bad check bytes, second pen and other statuses are not touches",
         with(Still(9, 5000, 6000),
              {badCheck, Frame(0xAA, 0x81, 5000, 6000), Frame(0xEE, 0x85, 5000, 6000),
               Frame(0xEE, 0x89, 5000, 6000), Frame(0xAA, 0x83, 1, 1), lift}),
         ContactVerdict::TooShort,
         {5000, 6000}},
        {"a lift alone", {lift, lift}, std::nullopt, {}},
        {"held far beyond the samples kept",
         with(Still(static_cast<int>(ContactCollector::kMaxSamples) * 3, 7000, 3000), {lift}),
         ContactVerdict::Taken,
         {7000, 3000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ContactCollector collector;
        std::optional<ContactResult> result;
        int ended = 0;
        for (const driver::PenFrame& frame : c.frames) {
            if (auto got = collector.OnFrame(frame)) {
                result = got;
                ++ended;
            }
        }
        EXPECT_EQ(ended, c.verdict ? 1 : 0);
        if (c.verdict && result) {
            EXPECT_EQ(result->verdict, *c.verdict);
            EXPECT_EQ(result->point.x, c.point.x);
            EXPECT_EQ(result->point.y, c.point.y);
        }
    }
}

// A regular 3 x 3 grid, board points 3000 apart from (2000, 2000).
MeasuredGrid Regular(bool full) {
    MeasuredGrid grid({3, 3});
    for (int k = 0; k < (full ? 9 : 4); ++k) {
        const GridIndex index = TargetAt(grid.Layout(), k);
        grid.Set(index, {2000.0 + 3000 * index.column, 2000.0 + 3000 * index.row});
    }
    return grid;
}

TEST(FoldRule, APointMustLieBeyondEachTakenNeighbour) {
    struct Case {
        const char* name = "";
        bool full = false; // every other point taken, as when one target is taken again
        GridIndex index;
        GridPoint point;
        bool fits = false;
    };
    const double gap = MeasuredGrid::kMinNeighbourGap;
    const Case cases[] = {
        {"where it belongs", false, {1, 1}, {5000, 5000}, true},
        {"left of its left neighbour", false, {1, 1}, {1990, 5000}, false},
        {"too close to its left neighbour", false, {1, 1}, {2000 + gap - 1, 5000}, false},
        {"just far enough", false, {1, 1}, {2000 + gap, 2000 + gap}, true},
        {"above its upper neighbour", false, {1, 1}, {5000, 1500}, false},
        {"right neighbour not taken yet", false, {1, 1}, {9000, 5000}, true},
        {"beyond its right neighbour, all taken", true, {1, 1}, {8100, 5000}, false},
        {"below its lower neighbour, all taken", true, {1, 1}, {5000, 8000}, false},
        {"left neighbour not taken yet", false, {2, 1}, {1000, 5000}, true},
        {"outside the grid", true, {3, 0}, {20000, 2000}, false},
        {"not a number", true, {1, 1}, {std::nan(""), 5000}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasuredGrid grid = Regular(c.full);
        grid.Forget(c.index);
        EXPECT_EQ(grid.FitsNeighbours(c.index, c.point), c.fits);
    }
}

TEST(TargetPoints, PointsTouchedOnPixelCentresMoveBackToTheDriversTargets) {
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1024, 768}}) {
        for (const GridLayout layout : {GridLayout{2, 2}, GridLayout{3, 3}, GridLayout{5, 4}}) {
            SCOPED_TRACE(testing::Message() << layout.columns << " x " << layout.rows << " on "
                                            << width << " x " << height);
            MeasuredGrid touched(layout);
            for (int k = 0; k < TargetCount(layout); ++k) {
                const GridIndex index = TargetAt(layout, k);
                touched.Set(index,
                            testing_support::UnderCross(TargetPixel(layout, index, width, height)));
            }
            const MeasuredGrid moved = AtTargetPoints(touched, width, height);
            for (int k = 0; k < TargetCount(layout); ++k) {
                const GridIndex index = TargetAt(layout, k);
                const GridPoint target = driver::ScreenTarget(
                    index.column, index.row, layout.columns, layout.rows, width, height);
                const GridPoint truth = testing_support::CrookedBoard(target.x, target.y);
                EXPECT_NEAR(moved.At(index).x, truth.x, 1e-6) << k;
                EXPECT_NEAR(moved.At(index).y, truth.y, 1e-6) << k;
            }
        }
    }
}

// A profile whose write number failAt fails, or is stored with a wrong value.
class FaultyProfile final : public platform::ProfilePort {
public:
    enum class Fault { Refuse, Garble };
    FaultyProfile(int failAt, Fault fault) : m_failAt(failAt), m_fault(fault) {}

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, const std::string& path,
                          std::size_t capacity) override {
        return m_real.GetString(section, key, defaultValue, path, capacity);
    }
    platform::ProfileText ReadText(std::string_view section, std::string_view key,
                                   const std::string& path, platform::TextEncoding encoding,
                                   std::size_t capacity) override {
        return m_real.ReadText(section, key, path, encoding, capacity);
    }
    int GetInt(std::string_view section, std::string_view key, int defaultValue,
               const std::string& path) override {
        return m_real.GetInt(section, key, defaultValue, path);
    }
    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override {
        if (m_writes++ != m_failAt) {
            return m_real.WriteString(section, key, value, path);
        }
        return m_fault == Fault::Garble &&
               m_real.WriteString(section, key, std::string(value) + "7", path);
    }
    int Writes() const { return m_writes; }

private:
    platform::IniFileProfile m_real;
    int m_failAt;
    Fault m_fault;
    int m_writes = 0;
};

// The board's monitor left of the primary, whose pixels the grid's targets are.
const platform::MonitorInfo kBoardMonitor = platform::SimDisplay::Monitor(2, {-1280, 0, 0, 1024});

MeasuredGrid Filled(GridLayout layout) {
    MeasuredGrid grid(layout);
    // Values the median gives (halves) and ones it never does.
    const double fractions[] = {0.0, 0.5, 0.1, 0.125, 0.75};
    for (int k = 0; k < TargetCount(grid.Layout()); ++k) {
        const GridIndex index = TargetAt(grid.Layout(), k);
        const double fraction = fractions[static_cast<std::size_t>(k) % 5];
        grid.Set(index, {900.0 + 3100 * index.column + fraction,
                         16384.0 - 4000 * (3 - index.row) - fraction});
    }
    return grid;
}

TEST(GridWriter, EveryLayoutRoundTripsExactlyThroughTheDriversLoad) {
    const std::string others = "[ElecButton]\r\nept0.x=405\r\n[coordinate]\r\nwdot=3\r\nhdot=3\r\n"
                               "dot(4,3).x=123\r\norient=1\r\n[LUMERASET]\r\nBOX1LASTCHOOSE=2\r\n";
    const struct {
        GridLayout layout;
        bool copiesRefused; // a folder that takes no new file
    } cases[] = {{{2, 2}, false}, {{3, 3}, false}, {{5, 4}, false}, {{5, 4}, true}};
    for (const auto& [layout, copiesRefused] : cases) {
        SCOPED_TRACE(testing::Message() << layout.columns << " x " << layout.rows
                                        << (copiesRefused ? " in place" : ""));
        testing_support::TempDir dir;
        const std::string path = dir.Write("DualData.ini", others);
        platform::IniFileProfile profile;
        platform::SimFiles files("", "");
        files.FailCopies(copiesRefused);
        const MeasuredGrid grid = Filled(layout);
        ASSERT_TRUE(WriteCalibrationGrid(profile, files, path, grid, kBoardMonitor));

        driver::CalibrationStore store;
        platform::SimTrace trace;
        driver::LoadCalibration(store, profile, testing_support::PrimaryScreen(1920, 1080), trace,
                                path);
        const driver::Calibration loaded = store.Snapshot();
        EXPECT_EQ(loaded.grid.ColumnCount, layout.columns);
        EXPECT_EQ(loaded.grid.RowCount, layout.rows);
        for (int k = 0; k < TargetCount(layout); ++k) {
            const GridIndex index = TargetAt(layout, k);
            const GridPoint& point = loaded.grid.BoardPoints[static_cast<std::size_t>(index.column)]
                                                            [static_cast<std::size_t>(index.row)];
            EXPECT_EQ(point.x, grid.At(index).x) << k;
            EXPECT_EQ(point.y, grid.At(index).y) << k;
        }
        const common::StoredMonitor stored = common::ReadStoredMonitor(profile, path);
        EXPECT_EQ(stored.state, common::StoredMonitor::State::Chosen);
        EXPECT_EQ(stored.monitor.bounds, kBoardMonitor.bounds);
        EXPECT_EQ(stored.monitor.deviceName, kBoardMonitor.deviceName);
        EXPECT_EQ(stored.monitor.deviceId, kBoardMonitor.deviceId);
        EXPECT_EQ(loaded.ElecButtonPoints[0].x, 405) << "other sections kept";
        EXPECT_EQ(profile.GetInt(contract::settings_file::kButtonSection,
                                 contract::settings_file::kFrontChoiceKey, 0, path),
                  2);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "no copy left beside the file";
    }
}

TEST(GridWriter, AnyFailedStepLeavesTheFileAsItWas) {
    const std::string before = "[coordinate]\r\nwdot=3\r\nhdot=3\r\ndot(0,0).x=2210\r\n";
    const MeasuredGrid grid = Filled({3, 3});
    // Every write of a whole run, the monitor's with the grid's.
    const int writes = [&] {
        testing_support::TempDir dir;
        FaultyProfile counting(-1, FaultyProfile::Fault::Refuse);
        platform::SimFiles files("", "");
        EXPECT_TRUE(WriteCalibrationGrid(counting, files, dir.Write("DualData.ini", before), grid,
                                         kBoardMonitor));
        return counting.Writes();
    }();
    // Without a copy (a folder that takes no new file) the keys go into the file itself.
    for (const bool copiesRefused : {false, true}) {
        for (const auto fault : {FaultyProfile::Fault::Refuse, FaultyProfile::Fault::Garble}) {
            for (int failAt = 0; failAt < writes; ++failAt) {
                SCOPED_TRACE(
                    testing::Message()
                    << (copiesRefused ? "in place, " : "through a copy, ")
                    << (fault == FaultyProfile::Fault::Refuse ? "refused write " : "garbled write ")
                    << failAt);
                testing_support::TempDir dir;
                const std::string path = dir.Write("DualData.ini", before);
                FaultyProfile profile(failAt, fault);
                platform::SimFiles files("", "");
                files.FailCopies(copiesRefused);
                EXPECT_FALSE(WriteCalibrationGrid(profile, files, path, grid, kBoardMonitor));
                EXPECT_EQ(testing_support::ReadFile(path), before);
                EXPECT_FALSE(files.FileExists(path + ".new"));
            }
        }
    }
    testing_support::TempDir dir;
    platform::IniFileProfile profile;
    platform::SimFiles files("", "");
    MeasuredGrid partial = Filled({3, 3});
    partial.Forget({2, 1});
    const std::string path = dir.Write("DualData.ini", before);
    EXPECT_FALSE(WriteCalibrationGrid(profile, files, path, partial, kBoardMonitor))
        << "an incomplete grid";
    EXPECT_FALSE(
        WriteCalibrationGrid(profile, files, path, Filled({3, 3}), platform::MonitorInfo{}))
        << "a monitor without area";
    const std::string missing = dir.File("new/DualData.ini");
    std::filesystem::create_directories(dir.Path() / "new");
    EXPECT_TRUE(WriteCalibrationGrid(profile, files, missing, Filled({3, 3}), kBoardMonitor))
        << "no file yet: it is made";
    const std::string tooLong = dir.File(std::string(300, 'd') + ".ini");
    EXPECT_FALSE(WriteCalibrationGrid(profile, files, tooLong, Filled({3, 3}), kBoardMonitor));
}

TEST(GridWriter, KeysAnotherProgramWritesMeanwhileAreKept) {
    const std::string before = "[LUMERASET]\r\nBOX1LASTCHOOSE=1\r\n[coordinate]\r\nwdot=3\r\n";
    const MeasuredGrid grid = Filled({3, 3});
    const struct {
        std::size_t copiesWrittenDuring;
        bool written;
    } cases[] = {{1, true}, {3, true}, {1000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "written during the first " << c.copiesWrittenDuring << " copies");
        testing_support::TempDir dir;
        const std::string path = dir.Write("DualData.ini", before);
        platform::IniFileProfile profile;
        platform::SimFiles files("", "");
        // The settings dialog saving a choice between the copy and the rename.
        files.AfterEachCopy([&](std::size_t copy) {
            if (copy <= c.copiesWrittenDuring) {
                profile.WriteString("LUMERASET", "BOX1LASTCHOOSE", std::to_string(copy + 1), path);
            }
        });
        EXPECT_EQ(WriteCalibrationGrid(profile, files, path, grid, kBoardMonitor), c.written);
        const auto lastWrite = std::min(c.copiesWrittenDuring, files.FilesCopied());
        EXPECT_EQ(profile.GetInt("LUMERASET", "BOX1LASTCHOOSE", 0, path),
                  static_cast<int>(lastWrite) + 1);
        EXPECT_EQ(profile.GetString("coordinate", "dot(2,1).y", "", path),
                  c.written ? FormatBoardValue(grid.At({2, 1}).y) : "");
        EXPECT_FALSE(files.FileExists(path + ".new"));
    }
}

TEST(GridWriter, BoardValuesAreDecimalTextTheDriverReadsBackExactly) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> values(-20000.0, 20000.0);
    for (int k = 0; k < 5000; ++k) {
        const double value = k < 2 ? (k == 0 ? 16384.0 : -0.0) : values(random);
        const std::string text = FormatBoardValue(value);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(driver::ParseBoardValue(text), value) << text;
    }
    EXPECT_EQ(FormatBoardValue(std::nan("")), "");
}

TEST(OrientTexts, TheShippedLanguageFileHasEveryText) {
    platform::IniFileProfile profile;
    testing_support::NoteLines notes;
    const common::TextSource chinese =
        common::TextSourceIn(DRAVIK_RESOURCE_DIR "/", common::Language::Chinese);
    const OrientTexts texts = ReadOrientTexts(profile, chinese, notes.Sink());
    for (const TextKey& key : kTextKeys) {
        EXPECT_NE(texts.*key.text, contract::language_file::kMissingText) << key.key;
        EXPECT_FALSE((texts.*key.text).empty()) << key.key;
    }
    EXPECT_EQ(texts.chooseMonitor,
              profile
                  .ReadText(kLanguageSection, kChooseMonitorKey, chinese.chinesePath,
                            platform::TextEncoding::CodePage936)
                  .text);
    testing_support::TempDir dir;
    const std::string older = dir.Write("Language.ini", "[Orient]\r\nIDS_ORIENT_CAPTION=x\r\n");
    const common::TextSource olderOnly{older, "", common::Language::Chinese};
    EXPECT_EQ(ReadOrientTexts(profile, olderOnly, notes.Sink()).chooseMonitor,
              kChooseMonitorFallback)
        << "a Language.ini from before the monitor prompt";
}

// The verdict table, read by value: each verdict once, with a word of its
// own, and a hint for every one that leaves its target in place.
TEST(OrientTexts, EveryVerdictHasOneLogWordAndEveryRefusalAHint) {
    std::set<ContactVerdict> verdicts;
    std::set<std::string_view> words;
    for (const VerdictText& text : kVerdictTexts) {
        SCOPED_TRACE(text.logWord);
        EXPECT_TRUE(verdicts.insert(text.verdict).second);
        EXPECT_TRUE(words.insert(text.logWord).second);
        EXPECT_EQ(text.hint == nullptr, text.verdict == ContactVerdict::Taken);
    }
    EXPECT_EQ(verdicts.size(), static_cast<std::size_t>(ContactVerdict::Folded) + 1) << "a gap";
}

TEST(OrientTexts, NumbersGoIntoTheirPlacesAndNothingElseIsFormatted) {
    EXPECT_EQ(FillIn("%1 / %2", {"3", "9"}), "3 / 9");
    EXPECT_EQ(FillIn("%2 then %1%", {"a", "b"}), "b then a%");
    EXPECT_EQ(FillIn("%s %n %3 %%1", {"x"}), "%s %n  %x");
}

TEST(FrameReader, PostsEveryCheckedFrameAndStopsThoughTheDriverKeepsItsEnd) {
    platform::SimClock clock;
    platform::SimDesktop desktop(clock);
    platform::SimTrace trace;
    platform::SimIpcPort ipc(trace, clock);
    platform::SimThreadPort threads;
    const platform::WindowHandle window =
        desktop.CreateLoggingWindow(std::string(contract::orientation::kWindowClass), "");
    auto server = ipc.CreatePipeServer("\\\\.\\pipe\\reader", driver::kDriverPipeSettings);
    FrameReader reader(threads, desktop);
    ASSERT_TRUE(reader.Start(ipc.OpenPipeClient("\\\\.\\pipe\\reader"), window));

    const std::vector<driver::PenFrame> frames = {Frame(0xEE, 0x81, 100, 200),
                                                  Frame(0xEE, 0x83, 16384, 1)};
    const std::vector<std::uint8_t> garbage = {0x12, 0xEE, 0x81};
    ASSERT_EQ(server->TrySend(garbage), 3);
    for (const auto& frame : frames) {
        ASSERT_TRUE(server->WaitWritable(1000));
        ASSERT_EQ(server->TrySend(frame), 8);
    }
    ASSERT_TRUE(
        testing_support::WaitUntil([&] { return desktop.PostCount(window, kFrameArrived) == 2; }));
    reader.Stop();
    EXPECT_FALSE(reader.Running());
    const auto posted = desktop.MessagesTo(window);
    ASSERT_EQ(posted.size(), 3U);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(FrameReader::Unpack(posted[i].wParam, posted[i].lParam), frames[i]) << i;
    }
    EXPECT_EQ(posted[2].message, kPipeEnded);
    EXPECT_EQ(posted[2].wParam, reader.Generation());
}

} // namespace
} // namespace orient
