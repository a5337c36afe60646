// The calibration program's side of a grid: any frames from the driver's
// pipe make contacts, contacts make a run, a complete run is written into
// any settings file. A contact is taken only when held and still; a grid
// never folds; what is written reads back exactly through the driver's own
// load, with the targets the program showed, and leaves the file's other
// keys alone.
#include "driver/pen/pen_frame.h"
#include "driver/pointer/calibration_store.h"
#include "driver/pointer/coordinate_transform.h"
#include "driver/pointer/load_calibration.h"
#include "orient/calibration_run.h"
#include "orient/contact.h"
#include "orient/grid_writer.h"
#include "platform/sim/sim_trace.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/board_frames.h"
#include "tests/support/grids.h"
#include "tests/support/memory_profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace orient;

const std::string kSettings = "C:\\Board\\DualData.ini";

// Files whose contents are the profile's, so that the writer's copy and
// rename move what the profile wrote.
class ProfileFiles final : public platform::FilesPort {
public:
    explicit ProfileFiles(testing_support::MemoryProfile& profile) : m_profile(profile) {}

    std::string ModulePath() override { return {}; }
    std::string AppDataFolder() override { return {}; }
    bool FileExists(const std::string& path) override { return m_profile.File(path) != nullptr; }
    bool MakeSureDirectoryPathExists(const std::string&) override { return true; }
    bool Copy(const std::string& from, const std::string& to,
              platform::IfTargetExists ifExists) override {
        const std::string* text = m_profile.File(from);
        if (text == nullptr || (ifExists == platform::IfTargetExists::Fail && FileExists(to))) {
            return false;
        }
        m_profile.SetFile(to, *text);
        return true;
    }
    bool AppendToFile(const std::string&, std::string_view) override { return false; }
    std::optional<std::uint64_t> FileSize(const std::string& path) override {
        const std::string* text = m_profile.File(path);
        return text == nullptr ? std::nullopt : std::optional<std::uint64_t>(text->size());
    }
    std::optional<std::string> ReadContents(const std::string& path) override {
        const std::string* text = m_profile.File(path);
        return text == nullptr ? std::nullopt : std::optional<std::string>(*text);
    }
    bool ReplaceContents(const std::string& path, std::string_view contents) override {
        if (!FileExists(path)) {
            return false;
        }
        m_profile.SetFile(path, std::string(contents));
        return true;
    }
    bool RenameFile(const std::string& from, const std::string& to) override {
        return Copy(from, to, platform::IfTargetExists::Replace) && m_profile.RemoveFile(from);
    }
    bool RemoveFile(const std::string& path) override { return m_profile.RemoveFile(path); }
    bool IsLeadByte(unsigned char) override { return false; }

private:
    testing_support::MemoryProfile& m_profile;
};

driver::PenFrame NextFrame(FuzzedDataProvider& input) {
    driver::PenFrame frame{};
    if (input.ConsumeBool()) {
        // Mostly frames the board could send, so that contacts happen.
        const auto x = input.ConsumeIntegralInRange<std::int32_t>(1, 0x4000);
        const auto y = input.ConsumeIntegralInRange<std::int32_t>(1, 0x4000);
        return testing_support::Frame(
            driver::frame_header::kFirstPen,
            input.ConsumeBool() ? driver::pen_status::kTouch : driver::pen_status::kLift, x, y);
    }
    for (std::uint8_t& byte : frame) {
        byte = input.ConsumeIntegral<std::uint8_t>();
    }
    return frame;
}

void CheckUnfolded(const MeasuredGrid& grid) {
    const GridLayout& layout = grid.Layout();
    for (int i = 0; i < layout.columns; ++i) {
        for (int j = 0; j < layout.rows; ++j) {
            if (!grid.Has({i, j})) {
                continue;
            }
            if (i + 1 < layout.columns && grid.Has({i + 1, j})) {
                FUZZ_CHECK(grid.At({i, j}).x + MeasuredGrid::kMinNeighbourGap <=
                           grid.At({i + 1, j}).x);
            }
            if (j + 1 < layout.rows && grid.Has({i, j + 1})) {
                FUZZ_CHECK(grid.At({i, j}).y + MeasuredGrid::kMinNeighbourGap <=
                           grid.At({i, j + 1}).y);
            }
        }
    }
}

void CheckWritten(testing_support::MemoryProfile& profile, const std::string& before,
                  const MeasuredGrid& grid, int width, int height) {
    const std::string kept = profile.GetString("ElecButton", "ept0.x", "none", kSettings);
    ProfileFiles files(profile);
    const platform::MonitorInfo monitor{{0, 0, width, height}, true, "\\\\.\\DISPLAY1", ""};
    if (!WriteCalibrationGrid(profile, files, kSettings, grid, monitor)) {
        // Refused: the file as it was, no copy beside it.
        FUZZ_CHECK(*profile.File(kSettings) == before);
        FUZZ_CHECK(profile.File(kSettings + ".new") == nullptr);
        return;
    }
    FUZZ_CHECK(profile.File(kSettings + ".new") == nullptr);
    FUZZ_CHECK(profile.GetString("ElecButton", "ept0.x", "none", kSettings) == kept);

    platform::SimTrace trace;
    driver::CalibrationStore store;
    driver::LoadCalibration(store, profile, testing_support::PrimaryScreen(width, height), trace,
                            kSettings);
    const driver::CalibrationGrid& loaded = store.Snapshot().grid;
    const GridLayout& layout = grid.Layout();
    FUZZ_CHECK(loaded.ColumnCount == layout.columns && loaded.RowCount == layout.rows);
    for (int i = 0; i < layout.columns; ++i) {
        for (int j = 0; j < layout.rows; ++j) {
            const auto ui = static_cast<std::size_t>(i);
            const auto uj = static_cast<std::size_t>(j);
            const driver::GridPoint board = loaded.BoardPoints[ui][uj];
            FUZZ_CHECK(board.x == grid.At({i, j}).x && board.y == grid.At({i, j}).y);
            const platform::Point target = TargetPixel(layout, {i, j}, width, height);
            // The program shows whole pixels of the driver's targets.
            FUZZ_CHECK(static_cast<int>(loaded.ScreenTargets[ui][uj].x) == target.x &&
                       static_cast<int>(loaded.ScreenTargets[ui][uj].y) == target.y);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int columns = input.ConsumeIntegralInRange(-1, 7);
    const int width = input.ConsumeIntegralInRange(1, 8000);
    const int height = input.ConsumeIntegralInRange(1, 8000);
    const std::string before = input.ConsumeRandomLengthString(400);

    testing_support::MemoryProfile profile;
    profile.SetFile(kSettings, before);
    CalibrationRun run(GridLayout{columns, columns});
    ContactCollector contacts;
    int writes = 0;
    while (input.remaining_bytes() > 0) {
        const driver::PenFrame frame = NextFrame(input);
        // A held pen: the same frame again, as often as the input says.
        const int times = input.ConsumeIntegralInRange(1, 40);
        for (int t = 0; t < times; ++t) {
            const std::optional<ContactResult> contact = contacts.OnFrame(frame);
            if (!contact) {
                continue;
            }
            const int step = run.Step();
            run.OnContact(*contact);
            FUZZ_CHECK(run.Step() == step ||
                       (run.Step() == step + 1 && contact->verdict == ContactVerdict::Taken &&
                        run.LastVerdict() == ContactVerdict::Taken));
            CheckUnfolded(run.Grid());
        }
        if (run.Complete() && writes < 3) {
            ++writes;
            CheckWritten(profile, *profile.File(kSettings), run.Grid(), width, height);
            // One point again, as the program offers after a run.
            const int k = input.ConsumeIntegralInRange(0, TargetCount(run.Grid().Layout()) - 1);
            run = CalibrationRun(run.Grid(), TargetAt(run.Grid().Layout(), k));
        }
    }
    return 0;
}
