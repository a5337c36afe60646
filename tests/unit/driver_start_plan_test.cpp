#include "setup/driver_start_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setup {
namespace {

struct StartCase {
    const char* name;
    bool desktopHere;
    std::vector<LogonSession> sessions;
    StartRoute route;
    std::vector<std::wstring> users;
};

TEST(PlanDriverStart, StartsForWhoWorksNowOrLeavesItToTheNextLogOn) {
    const LogonSession services{0, true, L"NT AUTHORITY\\SYSTEM"};
    const LogonSession anna{1, true, L"SCHOOL\\anna"};
    const LogonSession bob{2, true, L"SCHOOL\\bob"};
    const LogonSession annaAgain{3, true, L"SCHOOL\\anna"};
    const LogonSession disconnected{4, false, L"SCHOOL\\carl"};
    const LogonSession logOnScreen{5, true, L""};
    const std::vector<StartCase> cases = {
        {"a desktop starts it there only",
         true,
         {services, anna, bob},
         StartRoute::ThroughShell,
         {}},
        {"nobody logged on", false, {services, logOnScreen}, StartRoute::NextLogOn, {}},
        {"nobody working now", false, {services, disconnected}, StartRoute::NextLogOn, {}},
        {"no sessions listed", false, {}, StartRoute::NextLogOn, {}},
        {"each user once",
         false,
         {services, anna, disconnected, bob, annaAgain},
         StartRoute::ScheduledTasks,
         {L"SCHOOL\\anna", L"SCHOOL\\bob"}},
    };
    for (const StartCase& c : cases) {
        const StartPlan plan = PlanDriverStart(c.desktopHere, c.sessions);
        EXPECT_EQ(plan.route, c.route) << c.name;
        EXPECT_EQ(plan.users, c.users) << c.name;
    }
}

} // namespace
} // namespace setup
