#pragma once

#include "platform/dialog_controls_port.h"

#include <string>

namespace framework {

// Moves values between members and controls: into the controls when
// loading, out of them when saving.
class DataExchange {
public:
    DataExchange(platform::DialogControlsPort& windows, platform::WindowHandle dialog, bool saving)
        : m_windows(windows), m_dialog(dialog), m_saving(saving) {}

    bool Saving() const { return m_saving; }

    void Text(int controlId, std::string& value);
    void Check(int controlId, int& value);
    void ComboSelection(int controlId, int& index);

private:
    platform::DialogControlsPort& m_windows;
    platform::WindowHandle m_dialog;
    bool m_saving;
};

} // namespace framework
