#pragma once

#include "platform/profile_port.h"

#include <map>
#include <string>

namespace driver {

// Choice index of the settings tool's function lists to companion command
// code. Lives on the dialog thread.
class ButtonCommandMap {
public:
    ButtonCommandMap();

    // The command code of choice. A choice outside the map is added to it
    // with code 0, so it reads as 0 now and at every later look-up.
    int MapButtonChoice(int choice);
    const std::map<int, int>& Entries() const { return m_entries; }

private:
    std::map<int, int> m_entries;
};

// Section "LUMERASET" as the driver reads it.
struct ButtonSettings {
    int m_fixedButtonCodes = 0;
    int m_button1Choice = 5;
    int m_button2Choice = 6;
    int m_button1Command = 0;
    int m_button2Command = 0;
};

ButtonSettings ReadButtonSettings(platform::ProfilePort& profile, const std::string& settingsPath,
                                  ButtonCommandMap& map);

// Section "hardware": "KEY_TYPE" is "0" with function areas enabled, else "1".
bool SaveKeyType(platform::ProfilePort& profile, const std::string& settingsPath,
                 bool functionAreasEnabled);
bool ResetBoardType(platform::ProfilePort& profile, const std::string& settingsPath);

} // namespace driver
