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

// What the notification area and the diagnostics read back: the last
// failure even when its line was held back as a repeat, and the lines
// written, the oldest dropped once the ring is full.
TEST_F(TraceLogTest, KeepsTheLastFailureAndARingOfTheRecentLines) {
    struct Case {
        const char* call;
        std::uint32_t error;
        const char* subject;
        const char* reason;
    };
    const Case cases[] = {
        {"CreateFileA", 2, "COM7", "COM7: error 2"},
        {"ReadFile", 995, "", "ReadFile: error 995"},
        {"OpenHidLink", 0, "no HID interface", "OpenHidLink: no HID interface"},
        {"Connect", 0, "", "Connect"},
        {"CreateFileA", 2, "COM7", "COM7: error 2"}, // a repeat: not written again
    };
    for (const Case& c : cases) {
        const std::uint64_t before = trace.FailureCount();
        trace.Failure(c.call, c.error, c.subject);
        EXPECT_EQ(trace.LastFailure(), c.reason);
        EXPECT_EQ(trace.FailureCount(), before + 1) << c.reason;
    }
    EXPECT_EQ(trace.RecentLines(), std::vector<std::string>(debugLines.begin(), debugLines.end()));

    const std::size_t total = TraceMemory::kRecentLines * 2 + 50;
    for (std::size_t i = 0; i < total; ++i) {
        trace.Failure("step", 0, std::to_string(i));
    }
    const std::vector<std::string> recent = trace.RecentLines();
    ASSERT_EQ(recent.size(), TraceMemory::kRecentLines);
    EXPECT_EQ(recent.front(), debugLines[debugLines.size() - TraceMemory::kRecentLines]);
    EXPECT_EQ(recent.back(), debugLines.back());
}

} // namespace
} // namespace platform
