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

} // namespace
} // namespace platform
