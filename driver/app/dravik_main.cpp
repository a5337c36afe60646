#include "driver/app/dravik_app.h"
#include "framework/win32/program_entry.h"

int framework::RunProgram(platform::Platform& platform, const std::vector<std::string>&) {
    driver::DriverState state;
    driver::CDravikApp app(platform, state);
    return app.Run();
}
