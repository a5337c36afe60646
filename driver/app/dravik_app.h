#pragma once

#include "driver/state/driver_state.h"
#include "framework/win_app.h"
#include "platform/platform.h"

namespace driver {

class CDravikApp : public framework::CWinApp {
public:
    CDravikApp(platform::Platform& platform, DriverState& state)
        : m_platform(platform), m_state(state) {}

    // Always false: the program ends when its dialog does.
    bool InitInstance() override;

private:
    // The message-box texts in the user's language, before any box can show.
    void LoadTexts();

    platform::Platform& m_platform;
    DriverState& m_state;
};

} // namespace driver
