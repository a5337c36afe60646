#pragma once

#include "driver/app/dravik_dlg.h"
#include "tests/support/poll.h"
#include "tests/support/sim_machine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace testing_support {

// The driver's dialog on a simulated machine, run until the scene presses
// Escape; the scene's steps run at virtual times after the start.
class DriverScene : public ::testing::Test {
protected:
    platform::WindowHandle DriverWindow() {
        return m_machine.desktop.FindWindow(contract::driver_window::kClass,
                                            contract::driver_window::kTitle);
    }

    // step at atMs after the start, inside the dialog's loop.
    void At(std::uint64_t atMs, std::function<void()> step) {
        m_machine.desktop.At(atMs, std::move(step));
    }
    void Post(std::uint64_t atMs, std::uint32_t message, platform::WParam wParam,
              platform::LParam lParam) {
        At(atMs,
           [=, this] { m_machine.desktop.PostMessage(DriverWindow(), message, wParam, lParam); });
    }
    // A registered message by its name, as another program posts it.
    void PostRegistered(std::uint64_t atMs, std::string_view name, platform::WParam wParam,
                        platform::LParam lParam) {
        At(atMs, [=, this] {
            m_machine.desktop.PostMessage(
                DriverWindow(), m_machine.desktop.RegisterWindowMessage(name), wParam, lParam);
        });
    }
    // A worker of the dialog posts when a wait ends, in real time: the step
    // waits (bounded) until the count-th such post has been made.
    void AwaitPost(std::uint64_t atMs, std::uint32_t message, int count) {
        At(atMs, [=, this] { AwaitPostNow(message, count); });
    }
    void AwaitPostNow(std::uint32_t message, int count) {
        EXPECT_TRUE(WaitUntil([&] {
            return m_machine.desktop.PostCount(DriverWindow(), message) >= count;
        })) << "no post 0x"
            << std::hex << message << " number " << std::dec << count;
    }

    void Run(std::uint64_t endAtMs) {
        At(endAtMs, [this] { m_machine.desktop.PressEscape(DriverWindow()); });
        driver::CDravikDlg dialog(m_process.ports, m_state);
        m_dialog = &dialog;
        dialog.DoModal();
        m_dialog = nullptr;
    }

    SimMachine m_machine;
    SimProcess m_process{m_machine};
    driver::DriverState m_state;
    driver::CDravikDlg* m_dialog = nullptr;
};

} // namespace testing_support
