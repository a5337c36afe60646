#include "setup/driver_start_plan.h"

#include <algorithm>

namespace setup {

namespace {
// Services' session: nobody works in it, whatever it reports.
constexpr std::uint32_t kServicesSession = 0;
} // namespace

StartPlan PlanDriverStart(bool desktopHere, const std::vector<LogonSession>& sessions) {
    if (desktopHere) {
        return {StartRoute::ThroughShell, {}};
    }
    StartPlan plan{StartRoute::NextLogOn, {}};
    for (const LogonSession& session : sessions) {
        if (!session.active || session.user.empty() || session.id == kServicesSession) {
            continue;
        }
        // One task per user: it runs in the session the user is logged on in.
        if (std::find(plan.users.begin(), plan.users.end(), session.user) == plan.users.end()) {
            plan.users.push_back(session.user);
        }
    }
    if (!plan.users.empty()) {
        plan.route = StartRoute::ScheduledTasks;
    }
    return plan;
}

} // namespace setup
