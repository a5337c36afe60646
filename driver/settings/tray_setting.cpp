#include "driver/settings/tray_setting.h"

#include "common/program_contract.h"

namespace driver {

bool TrayIconWanted(platform::ProfilePort& profile, platform::TracePort& trace,
                    const std::string& settingsPath) {
    const std::string value =
        profile.GetString(contract::settings_file::kInterfaceSection,
                          contract::settings_file::kTrayIconKey, "", settingsPath);
    if (value == "0") {
        return false;
    }
    if (!value.empty() && value != "1") {
        trace.Failure("TrayIcon", 0, "\"" + value + "\" is neither 0 nor 1; the icon is shown");
    }
    return true;
}

} // namespace driver
