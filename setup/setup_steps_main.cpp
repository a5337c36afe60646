#include "platform/win32/win32_setup_steps.h"
#include "setup/driver_start_plan.h"

#include <cstdint>
#include <string>
#include <string_view>

// The MSI's steps around its file copies, one a run; the exit code says whether the step
// did what it must (a custom action that checks it stops the installation otherwise).
//
//   SetupSteps end-driver [DRIVER]      DRIVER: the installed driver's path
//   SetupSteps seed-settings TEMPLATE SETTINGS
//   SetupSteps remove-logs FOLDER
//   SetupSteps start-driver PROGRAM
namespace {

// The driver ends within a second; more than this is a hang.
constexpr std::uint32_t kDriverEndMs = 10000;
// A log-on's load can hold a task's program up for a while.
constexpr std::uint32_t kDriverStartMs = 20000;

enum Exit : int { kDone = 0, kFailed = 1, kUsage = 2 };

// A driver that does not start is no failed installation: the Run entry starts it at the
// next log-on.
void StartDriver(const std::wstring& program) {
    const setup::StartPlan plan =
        setup::PlanDriverStart(platform::DesktopHere(), platform::LogonSessions());
    switch (plan.route) {
    case setup::StartRoute::ThroughShell:
        platform::StartThroughShell(program);
        break;
    case setup::StartRoute::ScheduledTasks:
        for (const std::wstring& user : plan.users) {
            platform::StartThroughTask(program, user, kDriverStartMs);
        }
        break;
    case setup::StartRoute::NextLogOn:
        break;
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring_view step = argc > 1 ? argv[1] : L"";
    if (step == L"end-driver" && (argc == 2 || argc == 3)) {
        return platform::EndRunningDrivers(argc == 3 ? argv[2] : L"", kDriverEndMs) ? kDone
                                                                                    : kFailed;
    }
    if (step == L"seed-settings" && argc == 4) {
        return platform::SeedSettings(argv[2], argv[3]) ? kDone : kFailed;
    }
    if (step == L"remove-logs" && argc == 3) {
        platform::RemoveLogs(argv[2]);
        return kDone;
    }
    if (step == L"start-driver" && argc == 3) {
        StartDriver(argv[2]);
        return kDone;
    }
    return kUsage;
}
