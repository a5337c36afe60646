#include "driver/settings/button_settings.h"

#include "common/program_contract.h"

#include <string_view>

namespace driver {

namespace {

constexpr std::string_view kHardwareSection = "hardware";

} // namespace

ButtonCommandMap::ButtonCommandMap()
    : m_entries{{0, 25}, {1, 32}, {2, 23}, {3, 24}, {4, 17}, {5, 16},
                {6, 22}, {7, 53}, {8, 37}, {9, 39}, {10, 38}} {}

int ButtonCommandMap::MapButtonChoice(int choice) {
    return m_entries[choice];
}

ButtonSettings ReadButtonSettings(platform::ProfilePort& profile, const std::string& settingsPath,
                                  ButtonCommandMap& map) {
    ButtonSettings settings;
    namespace file = contract::settings_file;
    settings.m_fixedButtonCodes = profile.GetInt(file::kButtonSection, file::kUseDefaultsKey,
                                                 file::kDefaultUseDefaults, settingsPath);
    settings.m_button1Choice = profile.GetInt(file::kButtonSection, file::kFrontChoiceKey,
                                              file::kDefaultFrontChoice, settingsPath);
    settings.m_button2Choice = profile.GetInt(file::kButtonSection, file::kBackChoiceKey,
                                              file::kDefaultBackChoice, settingsPath);
    settings.m_button1Command = map.MapButtonChoice(settings.m_button1Choice);
    settings.m_button2Command = map.MapButtonChoice(settings.m_button2Choice);
    return settings;
}

bool SaveKeyType(platform::ProfilePort& profile, const std::string& settingsPath,
                 bool functionAreasEnabled) {
    return profile.WriteString(kHardwareSection, "KEY_TYPE", functionAreasEnabled ? "0" : "1",
                               settingsPath);
}

bool ResetBoardType(platform::ProfilePort& profile, const std::string& settingsPath) {
    return profile.WriteString(kHardwareSection, "BOARD_TYPE", "0", settingsPath);
}

} // namespace driver
