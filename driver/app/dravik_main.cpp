#include "driver/app/dravik_app.h"
#include "framework/win32/program_entry.h"

int framework::RunProgram(platform::Platform& platform) {
    driver::DriverState state;
    driver::CDravikApp app(platform, state);
    return app.Run();
}
