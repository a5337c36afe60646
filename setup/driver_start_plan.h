#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace setup {

// A log-on session as the terminal services list it.
struct LogonSession {
    std::uint32_t id = 0;
    // Someone works in it now (not disconnected, not the log-on screen).
    bool active = false;
    // DOMAIN\user, empty when nobody is logged on in it.
    std::wstring user;
};

enum class StartRoute {
    // Through the shell of the installer's own desktop, as the user it belongs to.
    ThroughShell,
    // A one-shot scheduled task for each of users, run in that user's session.
    ScheduledTasks,
    // Nobody to start it for now: the Run entry starts it at each log-on.
    NextLogOn,
};

struct StartPlan {
    StartRoute route = StartRoute::NextLogOn;
    std::vector<std::wstring> users;
};

// How to start the driver after an installation. desktopHere: the installer
// runs on a desktop with a shell; without one it runs as a deployment does (as
// SYSTEM in session 0), and the users working now get the driver in their own
// sessions.
StartPlan PlanDriverStart(bool desktopHere, const std::vector<LogonSession>& sessions);

} // namespace setup
