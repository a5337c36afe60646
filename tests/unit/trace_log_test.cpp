#include "platform/trace_log.h"

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

class TraceLogTest : public ::testing::Test {
protected:
    std::vector<std::string> debugLines;
    SimClock clock{5000};
    testing_support::TempDir dir;
    SimFiles files{dir.File("Dravik.exe"), dir.File("AppData")};
    TraceLog trace{files, clock, [this](const std::string& line) {
                       debugLines.push_back(line);
                   }};
    std::string logFile = dir.File("Dravik.log");
};

TEST_F(TraceLogTest, LinesNameTheCallAndErrorAndGoToTheFileOnlyOnceAsked) {
    trace.Failure("CreateFileA", 2, "\\\\.\\COM7");
    trace.SetLogFile(logFile);
    trace.Failure("RegOpenKeyExA", 5, "SYSTEM\\Key");
    ASSERT_EQ(debugLines.size(), 2U);
    EXPECT_EQ(debugLines[0], "[5000 ms] CreateFileA failed, error 2: \\\\.\\COM7\r\n");
    EXPECT_EQ(testing_support::ReadFile(logFile), debugLines[1]);
}

// A board that is not there fails every two seconds; once a minute is enough
// to say so, with how often it happened meanwhile.
TEST_F(TraceLogTest, RepeatsAreWrittenOnceAMinuteWithTheirCount) {
    for (int attempt = 0; attempt < 31; ++attempt) {
        trace.Failure("OpenHidLink", 0, "no HID interface");
        trace.Failure("RegOpenKeyExA", 2, "SYSTEM\\Key");
        clock.Advance(2000);
    }
    ASSERT_EQ(debugLines.size(), 4U);
    EXPECT_NE(debugLines[2].find("OpenHidLink failed, error 0: no HID interface (and 29 times"),
              std::string::npos)
        << debugLines[2];
}

TEST_F(TraceLogTest, TheFileStaysUnderItsBoundWithOneOlderGeneration) {
    trace.SetLogFile(logFile);
    const std::string subject(200, 'x');
    std::uint64_t written = 0;
    for (int i = 0; written < 3 * TraceLog::kMaxFileBytes; ++i) {
        trace.Failure("WriteFile", static_cast<std::uint32_t>(i), subject);
        written += debugLines.back().size();
        const std::uint64_t size = files.FileSize(logFile).value_or(0);
        ASSERT_LE(size, TraceLog::kMaxFileBytes) << "line " << i;
    }
    const std::uint64_t old = files.FileSize(logFile + ".old").value_or(0);
    EXPECT_GT(old, TraceLog::kMaxFileBytes - 1000);
    EXPECT_LE(old, TraceLog::kMaxFileBytes);
}

} // namespace
} // namespace platform
