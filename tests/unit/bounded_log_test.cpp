#include "platform/bounded_log.h"

#include "platform/sim/sim_files.h"
#include "platform/trace_log.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace platform {
namespace {

TEST(BoundedLog, LinesAreStampedWithTheirTick) {
    EXPECT_EQ(BoundedLog::Stamped(5000, "pipe open"), "[5000 ms] pipe open\r\n");
    EXPECT_EQ(BoundedLog::Stamped(4294967295U, ""), "[4294967295 ms] \r\n");
}

// A line goes into the file while the file stays within the bound; one that
// would take it past moves the file aside, replacing an older generation.
TEST(BoundedLog, AFullFileIsMovedAsideBeforeTheLineThatWouldPassTheBound) {
    constexpr std::uint64_t kBound = 100;
    const struct {
        const char* name;
        std::optional<std::size_t> before; // none: no file yet
        std::size_t line;
        bool movedAside;
    } cases[] = {
        {"no file yet", std::nullopt, 40, false},
        {"below the bound", 50, 40, false},
        {"fills it exactly", 60, 40, false},
        {"one byte past", 61, 40, true},
        {"a line larger than the bound", 0, 150, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir dir;
        SimFiles files("", "");
        const std::string path = dir.File("Orient.log");
        dir.Write("Orient.log.old", "older");
        if (c.before) {
            dir.Write("Orient.log", std::string(*c.before, 'b'));
        }
        BoundedLog log(files, kBound);
        log.SetPath(path);
        const std::string line(c.line, 'n');
        log.Append(line);
        const std::string before(c.before.value_or(0), 'b');
        EXPECT_EQ(testing_support::ReadFile(path), c.movedAside ? line : before + line);
        EXPECT_EQ(testing_support::ReadFile(path + ".old"), c.movedAside ? before : "older");
    }
}

TEST(BoundedLog, AFileWrittenForLongStaysUnderItsBoundWithOneOlderGeneration) {
    testing_support::TempDir dir;
    SimFiles files("", "");
    const std::string logFile = dir.File("Dravik.log");
    BoundedLog log(files, TraceLog::kMaxFileBytes);
    log.SetPath(logFile);
    const std::string subject(200, 'x');
    std::uint64_t written = 0;
    for (std::uint32_t i = 0; written < 3 * TraceLog::kMaxFileBytes; ++i) {
        const std::string line = BoundedLog::Stamped(i, subject);
        log.Append(line);
        written += line.size();
        const std::uint64_t size = files.FileSize(logFile).value_or(0);
        ASSERT_LE(size, TraceLog::kMaxFileBytes) << "line " << i;
    }
    const std::uint64_t old = files.FileSize(logFile + ".old").value_or(0);
    EXPECT_GT(old, TraceLog::kMaxFileBytes - 1000);
    EXPECT_LE(old, TraceLog::kMaxFileBytes);
}

} // namespace
} // namespace platform
