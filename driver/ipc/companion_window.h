#pragma once

#include "driver/state/driver_ids.h"
#include "driver/state/driver_state.h"
#include "platform/message_port.h"

namespace driver {

// The companion's window, looked up afresh and remembered for the few posts
// that go to the last handle found. A missing window makes a post a no-op.
class CompanionWindow {
public:
    CompanionWindow(platform::MessagePort& windows, DriverState& state)
        : m_windows(windows), m_state(state) {}

    platform::WindowHandle LookUp() {
        const platform::WindowHandle window =
            m_windows.FindWindow(contract::companion::kMainClass, contract::companion::kMainTitle);
        m_state.companionWindow = window;
        return window;
    }
    platform::WindowHandle Stored() const { return m_state.companionWindow.load(); }

    void PostFresh(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
        m_windows.PostMessage(LookUp(), message, wParam, lParam);
    }
    void PostStored(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
        m_windows.PostMessage(Stored(), message, wParam, lParam);
    }

    // The board's announcement: what kind of board it is, then that it is done.
    void Announce(bool twoPens) {
        LookUp();
        PostStored(contract::companion::kNotice, twoPens ? 6 : 0,
                   contract::companion::kAnnounceModel);
        PostStored(contract::companion::kNotice, 0, contract::companion::kAnnounceDone);
    }

private:
    platform::MessagePort& m_windows;
    DriverState& m_state;
};

} // namespace driver
