#include "framework/dialog.h"
#include "platform/sim/sim_desktop.h"
#include "platform/window_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace framework {
namespace {

using namespace platform;

const DialogTemplate& TestTemplate() {
    static const DialogTemplate dialog = [] {
        DialogTemplate t;
        t.caption = "Test";
        t.style = ws::kPopup | ws::kVisible;
        t.controls = {{1, ControlClass::Button, "", "OK", ws::kBsDefPushButton, 0, 0, 0, 1, 1},
                      {2, ControlClass::Button, "", "Cancel", 0, 0, 0, 0, 1, 1},
                      {50, ControlClass::Edit, "", "", 0, 0, 0, 0, 1, 1}};
        return t;
    }();
    return dialog;
}

// Records which handler ran; two rows for 0x500 show that the first wins.
class TestDialog : public CDialog {
public:
    explicit TestDialog(WindowSystem& windows) : CDialog(windows, TestTemplate()) {}

    LResult First(WParam, LParam) {
        calls.push_back("first");
        return 11;
    }
    LResult Second(WParam, LParam) {
        calls.push_back("second");
        return 22;
    }
    LResult Registered(WParam wParam, LParam) {
        calls.push_back("registered " + std::to_string(wParam));
        return 0;
    }
    void Button50() { calls.push_back("button 50"); }
    std::uint32_t RegisteredId() const { return registeredId; }

    std::vector<std::string> calls;
    std::uint32_t registeredId = 0;
    std::string text = "initial";

protected:
    void DoDataExchange(DataExchange& exchange) override { exchange.Text(50, text); }
    bool DispatchMessageMap(std::uint32_t message, WParam wParam, LParam lParam,
                            LResult& result) override {
        static constexpr std::array kMap = {
            OnMessage(0x500, &TestDialog::First),
            OnMessage(0x500, &TestDialog::Second),
            OnRegistered(&TestDialog::RegisteredId, &TestDialog::Registered),
            OnCommand(50, &TestDialog::Button50),
        };
        return framework::DispatchMessageMap<TestDialog>(*this, kMap, message, wParam, lParam,
                                                         result);
    }
};

class Framework : public ::testing::Test {
protected:
    WindowHandle Window() { return desktop.FindWindow("#32770", "Test"); }

    SimClock clock;
    SimDesktop desktop{clock};
    TestDialog dialog{desktop};
};

TEST_F(Framework, MessageMapRowsAreSearchedInOrder) {
    LResult answer = 0;
    desktop.At(1, [&] {
        bool handled = false;
        answer = dialog.HandleMessage(Window(), 0x500, 0, 0, handled);
        EXPECT_TRUE(handled);
        dialog.HandleMessage(Window(), 0x501, 0, 0, handled);
        EXPECT_FALSE(handled) << "no row: default processing";
        desktop.PressEscape(Window());
    });
    EXPECT_EQ(dialog.DoModal(), id::kCancel);
    EXPECT_EQ(answer, 11);
    EXPECT_EQ(dialog.calls, std::vector<std::string>{"first"});
}

TEST_F(Framework, RegisteredMessagesMatchOnlyOnceRegistered) {
    desktop.At(1, [&] {
        // Identifier 0 (registration failed) must not swallow message 0.
        desktop.PostMessage(Window(), 0, 1, 0);
        dialog.registeredId = desktop.RegisterWindowMessage("Hello");
        desktop.PostMessage(Window(), dialog.registeredId, 2, 0);
        desktop.PostMessage(Window(), wm::kCommand, 50, 0);
        desktop.PostMessage(Window(), wm::kCommand, 50 | (1U << 16), 0); // not a click
        desktop.PressEscape(Window());
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"registered 2", "button 50"}));
}

TEST_F(Framework, OkSavesTheControlsAndEnds) {
    desktop.At(1, [&] {
        EXPECT_EQ(desktop.GetDlgItemText(Window(), 50), "initial") << "loaded at start";
        desktop.SetDlgItemText(Window(), 50, "typed");
        desktop.PressEnter(Window());
    });
    EXPECT_EQ(dialog.DoModal(), id::kOk);
    EXPECT_EQ(dialog.text, "typed");
}

TEST_F(Framework, ModalLoopGivesUpWhenNothingCanHappen) {
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(SimDesktopTimers, RestartOnStartAndOneMessagePerTimer) {
    SimClock clock;
    SimDesktop desktop(clock);
    class Counter : public WindowProcedure {
    public:
        LResult HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam,
                              bool& handled) override {
            handled = true;
            if (message == wm::kInitDialog) {
                self = window;
            } else if (message == wm::kTimer) {
                ticks.push_back({wParam, now()});
            }
            return 0;
        }
        std::function<std::uint64_t()> now;
        WindowHandle self = kNoWindow;
        std::vector<std::pair<WParam, std::uint64_t>> ticks;
    } counter;
    counter.now = [&] {
        return desktop.NowMs();
    };
    DialogTemplate dialog;
    dialog.caption = "Timers";
    desktop.At(0, [&] {
        desktop.SetTimer(counter.self, 7, 100);
        desktop.SetTimer(counter.self, 8, 250);
    });
    desktop.At(150, [&] { desktop.SetTimer(counter.self, 8, 250); }); // restarts: next at 400
    desktop.At(420, [&] {
        desktop.KillTimer(counter.self, 7);
        desktop.EndDialog(counter.self, 5);
    });
    EXPECT_EQ(desktop.DialogBoxModal(dialog, kNoWindow, counter), 5);
    const std::vector<std::pair<WParam, std::uint64_t>> expected = {
        {7, 100}, {7, 200}, {7, 300}, {7, 400}, {8, 400}};
    EXPECT_EQ(counter.ticks, expected);
}

} // namespace
} // namespace framework
