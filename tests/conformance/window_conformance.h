#pragma once

// The window system's rules as one table, run against any backend: natively
// against the simulated desktop on its virtual clock, under Wine against the
// real functions in real time. A backend offers Windows(), Clock(),
// Record(deviceType, name) (the lParam of a device broadcast) and
// kTimerSlackMs (how early a real timer may seem to fire by the tick count).
// Every rule runs inside a window's own loop, as the programs do.

#include "platform/window_messages.h"
#include "platform/window_port.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace window_test {

using platform::LParam;
using platform::LResult;
using platform::WindowHandle;
using platform::WParam;

constexpr std::uint32_t kUserExClasses = 0x0200; // ComboBoxEx32
constexpr std::uint32_t kBsAutoCheckBox = 0x0003;
constexpr int kEditId = 100;
constexpr int kCheckId = 101;
constexpr int kComboId = 102;
constexpr int kMissingId = 999;
constexpr std::uintptr_t kGiveUpTimer = 0xDEAD;
constexpr std::uint32_t kGiveUpMs = 5000;
constexpr LResult kGaveUp = -2;
constexpr const char* kInitialText = "Anfang – 开始";

// A window whose messages go to handlers set per test. Every window gives up
// after kGiveUpMs, so that a rule that never ends its loop cannot hang.
class Script final : public platform::WindowProcedure {
public:
    using Handler = std::function<LResult(WindowHandle window, WParam wParam, LParam lParam)>;

    Script(platform::WindowSystem& windows, bool dialog) : m_windows(windows), m_dialog(dialog) {}

    std::map<std::uint32_t, Handler> on;
    // Handlers of single timers; timers without one are left unhandled.
    std::map<std::uintptr_t, std::function<void(WindowHandle window)>> onTimer;

    void End(WindowHandle window, LResult result) {
        if (m_dialog) {
            m_windows.EndDialog(window, result);
        } else {
            m_windows.EndWindow(window, result);
        }
    }

    LResult HandleMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam,
                          bool& handled) override {
        const std::uint32_t first = m_dialog ? platform::wm::kInitDialog : platform::wm::kCreate;
        if (message == first) {
            m_windows.SetTimer(window, kGiveUpTimer, kGiveUpMs);
        }
        if (message == platform::wm::kTimer) {
            if (wParam == kGiveUpTimer) {
                handled = true;
                End(window, kGaveUp);
                return 0;
            }
            if (const auto it = onTimer.find(wParam); it != onTimer.end()) {
                handled = true;
                it->second(window);
                return 0;
            }
        }
        const auto it = on.find(message);
        if (it == on.end()) {
            return 0;
        }
        handled = true;
        return it->second(window, wParam, lParam);
    }

private:
    platform::WindowSystem& m_windows;
    bool m_dialog;
};

// A hidden dialog with an edit box, a check box and an extended combo box.
inline platform::DialogTemplate TableDialog(std::string caption) {
    using namespace platform;
    DialogTemplate t;
    t.caption = std::move(caption);
    t.style = ws::kPopup | ws::kCaption | ws::kSysMenu | ws::kDsModalFrame | ws::kDsShellFont;
    t.cx = 200;
    t.cy = 100;
    const std::uint32_t child = ws::kChild | ws::kVisible | ws::kTabStop;
    t.controls = {
        {kEditId, ControlClass::Edit, "", kInitialText, child | ws::kEsAutoHScroll, 0, 5, 5, 120,
         12},
        {kCheckId, ControlClass::Button, "", "Box", child | kBsAutoCheckBox, 0, 5, 25, 120, 10},
        {kComboId, ControlClass::ComboBox, "ComboBoxEx32", "",
         child | ws::kCbsDropDownList | ws::kVScroll, 0, 5, 40, 120, 60},
    };
    return t;
}

template <typename Backend> class WindowConformance : public ::testing::Test {
protected:
    void SetUp() override { Windows().InitCommonControls(kUserExClasses); }

    platform::WindowSystem& Windows() { return backend.Windows(); }
    std::uint32_t Now() { return backend.Clock().TickCount(); }
    // A caption no other test's window has.
    static std::string Caption(std::string_view what) {
        return std::string("Window table ") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + " " +
               std::string(what);
    }
    LResult RunDialog(Script& script, std::string_view what = "dialog") {
        return Windows().DialogBoxModal(TableDialog(Caption(what)), platform::kNoWindow, script);
    }
    LResult RunPlain(Script& script, std::string className, std::string title) {
        platform::WindowDescription description;
        description.className = std::move(className);
        description.title = std::move(title);
        description.style = platform::ws::kPopup;
        description.cx = 120;
        description.cy = 80;
        return Windows().RunWindow(description, script);
    }

    Backend backend;
};

TYPED_TEST_SUITE_P(WindowConformance);

TYPED_TEST_P(WindowConformance, AWindowIsFoundByClassAndByTitleInAnyCaseWhileItLives) {
    platform::WindowSystem& windows = this->Windows();
    const std::string className = "WindowTable.Find";
    const std::string title = "Fenster – 窗口";
    Script script(windows, false);
    WindowHandle seen = platform::kNoWindow;
    // Looked up once the loop runs, as another program would.
    script.on[platform::wm::kCreate] = [&](WindowHandle window, WParam, LParam) -> LResult {
        windows.PostMessage(window, platform::wm::kUser, 0, 0);
        return 0;
    };
    script.on[platform::wm::kUser] = [&](WindowHandle window, WParam, LParam) -> LResult {
        seen = window;
        struct Row {
            const char* name = "";
            std::string className;
            std::optional<std::string> title;
            bool found = false;
        };
        const std::vector<Row> rows = {
            {"by class", className, std::nullopt, true},
            {"by class in another case", "WINDOWTABLE.find", std::nullopt, true},
            {"by class and title", className, title, true},
            {"by a title in another case", className, "FENSTER – 窗口", true},
            {"by a title it only starts with", className, "Fenster", false},
            {"by another class with its title", "WindowTable.Other", title, false},
            {"by a class nobody registered", "WindowTable.None", std::nullopt, false},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const auto lookUp = row.title ? std::optional<std::string_view>(*row.title)
                                          : std::optional<std::string_view>();
            EXPECT_EQ(windows.FindWindow(row.className, lookUp),
                      row.found ? window : platform::kNoWindow);
        }
        EXPECT_TRUE(windows.SetWindowText(window, "Neu – 新"));
        EXPECT_EQ(windows.FindWindow(className, "Neu – 新"), window) << "the new title";
        EXPECT_EQ(windows.FindWindow(className, title), platform::kNoWindow) << "the old title";
        windows.EndWindow(window, 1);
        return 0;
    };
    ASSERT_EQ(this->RunPlain(script, className, title), 1);
    EXPECT_EQ(windows.FindWindow(className, std::nullopt), platform::kNoWindow)
        << "found after its loop ended";
    EXPECT_FALSE(windows.PostMessage(seen, platform::wm::kUser, 0, 0)) << "posted to it after";
}

TYPED_TEST_P(WindowConformance, PostsReachTheLoopInOrderWithTheirParametersAndNoWindowTakesNone) {
    platform::WindowSystem& windows = this->Windows();
    struct Post {
        std::uint32_t message;
        WParam wParam;
        LParam lParam;
        bool operator==(const Post&) const = default;
    };
    const std::vector<Post> sent = {{platform::wm::kUser + 1, 1, -1},
                                    {platform::wm::kUser + 2, 0xFFFF'FFFF, 0x1234'5678},
                                    {platform::wm::kUser + 1, 0, 0}};
    std::vector<Post> received;
    Script script(windows, true);
    script.on[platform::wm::kInitDialog] = [&](WindowHandle dialog, WParam, LParam) -> LResult {
        EXPECT_FALSE(windows.PostMessage(platform::kNoWindow, platform::wm::kUser, 0, 0));
        for (const Post& post : sent) {
            EXPECT_TRUE(windows.PostMessage(dialog, post.message, post.wParam, post.lParam));
        }
        return 1;
    };
    for (const std::uint32_t message : {platform::wm::kUser + 1, platform::wm::kUser + 2}) {
        script.on[message] = [&, message](WindowHandle dialog, WParam w, LParam l) -> LResult {
            received.push_back({message, w, l});
            if (received.size() == sent.size()) {
                windows.EndDialog(dialog, 0);
            }
            return 0;
        };
    }
    ASSERT_EQ(this->RunDialog(script), 0);
    EXPECT_EQ(received, sent);
}

TYPED_TEST_P(WindowConformance, ARegisteredMessageIsOneNumberPerNameWhateverItsCase) {
    platform::WindowSystem& windows = this->Windows();
    const std::uint32_t first = windows.RegisterWindowMessage("WindowTable.Message");
    EXPECT_GE(first, platform::wm::kFirstRegistered);
    EXPECT_LE(first, 0xFFFFU);
    EXPECT_EQ(windows.RegisterWindowMessage("WindowTable.Message"), first) << "the same name again";
    EXPECT_EQ(windows.RegisterWindowMessage("WINDOWTABLE.MESSAGE"), first) << "in another case";
    const std::uint32_t other = windows.RegisterWindowMessage("WindowTable.Other");
    EXPECT_GE(other, platform::wm::kFirstRegistered);
    EXPECT_NE(other, first) << "another name";
}

TYPED_TEST_P(WindowConformance, ModalLoopsReturnTheResultTheirEndGave) {
    platform::WindowSystem& windows = this->Windows();
    enum class When { Init, Post, Timer };
    struct Row {
        const char* name;
        When when;
        LResult result;
    };
    for (const Row row : {Row{"ended while initialised", When::Init, 0},
                          Row{"ended by a posted message", When::Post, 4242},
                          Row{"ended by a timer", When::Timer, 37}}) {
        SCOPED_TRACE(row.name);
        for (const bool dialog : {true, false}) {
            if (!dialog && row.when == When::Init) {
                continue; // a window's loop starts after its creation: -1 refuses it instead
            }
            SCOPED_TRACE(dialog ? "dialog" : "window");
            Script script(windows, dialog);
            const std::uint32_t first = dialog ? platform::wm::kInitDialog : platform::wm::kCreate;
            script.on[first] = [&](WindowHandle window, WParam, LParam) -> LResult {
                if (row.when == When::Init) {
                    script.End(window, row.result);
                } else if (row.when == When::Post) {
                    windows.PostMessage(window, platform::wm::kUser, 0, 0);
                } else {
                    windows.SetTimer(window, 1, 20);
                }
                return dialog ? 1 : 0;
            };
            script.on[platform::wm::kUser] = [&](WindowHandle window, WParam, LParam) -> LResult {
                script.End(window, row.result);
                return 0;
            };
            script.onTimer[1] = [&](WindowHandle window) {
                script.End(window, row.result);
            };
            EXPECT_EQ(dialog ? this->RunDialog(script)
                             : this->RunPlain(script, "WindowTable.Loop", "Loop"),
                      row.result);
        }
    }
    // A window that refuses its creation never runs a loop, and is gone.
    Script refusing(windows, false);
    refusing.on[platform::wm::kCreate] = [](WindowHandle, WParam, LParam) -> LResult {
        return -1;
    };
    EXPECT_EQ(this->RunPlain(refusing, "WindowTable.Refused", "Refused"), -1);
    EXPECT_EQ(windows.FindWindow("WindowTable.Refused", std::nullopt), platform::kNoWindow);
    EXPECT_FALSE(windows.EndDialog(platform::kNoWindow, 0));
}

TYPED_TEST_P(WindowConformance, ATimerTicksWithItsIdentifierUntilKilled) {
    platform::WindowSystem& windows = this->Windows();
    constexpr std::uintptr_t kTicking = 7;
    constexpr std::uintptr_t kEnd = 8;
    int ticks = 0;
    Script script(windows, true);
    script.on[platform::wm::kInitDialog] = [&](WindowHandle dialog, WParam, LParam) -> LResult {
        EXPECT_TRUE(windows.SetTimer(dialog, kTicking, 20));
        EXPECT_FALSE(windows.KillTimer(dialog, kEnd)) << "a timer never set";
        return 1;
    };
    script.onTimer[kTicking] = [&](WindowHandle dialog) {
        if (++ticks == 2) {
            EXPECT_TRUE(windows.KillTimer(dialog, kTicking));
            EXPECT_FALSE(windows.KillTimer(dialog, kTicking)) << "killed twice";
            // Room for ticks that a kill failed to stop.
            windows.SetTimer(dialog, kEnd, 150);
        }
    };
    script.onTimer[kEnd] = [&](WindowHandle dialog) {
        windows.EndDialog(dialog, ticks);
    };
    EXPECT_EQ(this->RunDialog(script), 2);
}

TYPED_TEST_P(WindowConformance, SettingARunningTimerAgainRestartsItsCountdown) {
    platform::WindowSystem& windows = this->Windows();
    constexpr std::uintptr_t kRestarted = 1;
    constexpr std::uintptr_t kRestarter = 2;
    constexpr std::uint32_t kPeriodMs = 300;
    std::uint32_t restartedAt = 0;
    std::uint32_t firedAt = 0;
    int restarts = 0;
    Script script(windows, true);
    script.on[platform::wm::kInitDialog] = [&](WindowHandle dialog, WParam, LParam) -> LResult {
        EXPECT_TRUE(windows.SetTimer(dialog, kRestarted, kPeriodMs));
        EXPECT_TRUE(windows.SetTimer(dialog, kRestarter, 50));
        return 1;
    };
    script.onTimer[kRestarter] = [&](WindowHandle dialog) {
        windows.KillTimer(dialog, kRestarter);
        ++restarts;
        restartedAt = this->Now();
        EXPECT_TRUE(windows.SetTimer(dialog, kRestarted, kPeriodMs));
    };
    script.onTimer[kRestarted] = [&](WindowHandle dialog) {
        firedAt = this->Now();
        windows.EndDialog(dialog, restarts);
    };
    ASSERT_EQ(this->RunDialog(script), 1) << "the restarted timer fired before its restart";
    EXPECT_GE(firedAt - restartedAt, kPeriodMs - TypeParam::kTimerSlackMs)
        << "fired " << firedAt - restartedAt << " ms after the restart";
}

TYPED_TEST_P(WindowConformance, DialogItemsGiveBackWhatWasSet) {
    platform::WindowSystem& windows = this->Windows();
    Script script(windows, true);
    script.on[platform::wm::kInitDialog] = [&](WindowHandle dialog, WParam, LParam) -> LResult {
        EXPECT_EQ(windows.GetDlgItemText(dialog, kEditId), kInitialText) << "the template's text";
        for (const char* text : {"Größe 大小 ✓", "", "plain"}) {
            EXPECT_TRUE(windows.SetDlgItemText(dialog, kEditId, text));
            EXPECT_EQ(windows.GetDlgItemText(dialog, kEditId), text);
        }
        EXPECT_FALSE(windows.SetDlgItemText(dialog, kMissingId, "x")) << "a missing control";
        EXPECT_EQ(windows.GetDlgItemText(dialog, kMissingId), "") << "a missing control";

        for (const bool checked : {true, false, true}) {
            EXPECT_TRUE(windows.CheckDlgButton(dialog, kCheckId, checked));
            EXPECT_EQ(windows.IsDlgButtonChecked(dialog, kCheckId), checked);
        }
        EXPECT_FALSE(windows.IsDlgButtonChecked(dialog, kMissingId)) << "a missing control";

        for (const bool enabled : {false, true}) {
            EXPECT_TRUE(windows.EnableDlgItem(dialog, kEditId, enabled));
            EXPECT_EQ(windows.IsDlgItemEnabled(dialog, kEditId), enabled);
        }
        EXPECT_FALSE(windows.EnableDlgItem(dialog, kMissingId, true)) << "a missing control";
        EXPECT_FALSE(windows.IsDlgItemEnabled(dialog, kMissingId)) << "a missing control";

        EXPECT_EQ(windows.GetComboSelection(dialog, kComboId), -1) << "an empty list";
        for (int item = 0; item < 3; ++item) {
            EXPECT_EQ(windows.InsertComboItem(dialog, kComboId, -1, "Eintrag 项", 0, 0), item)
                << "appended";
        }
        EXPECT_EQ(windows.InsertComboItem(dialog, kComboId, 0, "Erster 首", 0, 0), 0);
        for (const int index : {2, 3, 1, -1}) {
            EXPECT_TRUE(windows.SetComboSelection(dialog, kComboId, index)) << index;
            EXPECT_EQ(windows.GetComboSelection(dialog, kComboId), index);
        }
        // Refused; what stays selected then differs (the documentation clears
        // it, Wine's extended combo box keeps it).
        EXPECT_FALSE(windows.SetComboSelection(dialog, kComboId, 4)) << "past the end";
        windows.EndDialog(dialog, 0);
        return 1;
    };
    EXPECT_EQ(this->RunDialog(script), 0);
}

TYPED_TEST_P(WindowConformance, DeviceInterfaceClassesRegisterAndBroadcastsDecode) {
    platform::WindowSystem& windows = this->Windows();
    const std::string name =
        R"(\\?\hid#vid_10c4&pid_1320#0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
    Script script(windows, true);
    script.on[platform::wm::kInitDialog] = [&](WindowHandle dialog, WParam, LParam) -> LResult {
        struct Registration {
            const char* guid;
            bool registered;
        };
        for (const Registration row :
             {Registration{"4d1e55b2-f16f-11cf-88cb-001111000030", true},
              Registration{"4D36E978-E325-11CE-BFC1-08002BE10318", true},
              Registration{"{4d1e55b2-f16f-11cf-88cb-001111000030}", false},
              Registration{"4d1e55b2-f16f-11cf-88cb-00111100003", false},
              Registration{"not a class", false}}) {
            EXPECT_EQ(windows.RegisterInterfaceNotification(dialog, row.guid), row.registered)
                << row.guid;
        }
        windows.EndDialog(dialog, 0);
        return 1;
    };
    EXPECT_EQ(this->RunDialog(script), 0);

    using platform::DeviceInterfaceEvent;
    namespace dbt = platform::dbt;
    struct Row {
        const char* name = "";
        std::uint32_t event = 0;
        LParam record = 0;
        std::optional<DeviceInterfaceEvent> decoded;
    };
    const LParam interfaceRecord = this->backend.Record(dbt::kDevTypDeviceInterface, name);
    const LParam portRecord = this->backend.Record(dbt::kDevTypPort, "COM7");
    const std::vector<Row> rows = {
        {"an interface arrives", dbt::kDeviceArrival, interfaceRecord,
         DeviceInterfaceEvent{dbt::kDeviceArrival, dbt::kDevTypDeviceInterface, name}},
        {"an interface goes", dbt::kDeviceRemoveComplete, interfaceRecord,
         DeviceInterfaceEvent{dbt::kDeviceRemoveComplete, dbt::kDevTypDeviceInterface, name}},
        {"a port arrives: no interface name", dbt::kDeviceArrival, portRecord,
         DeviceInterfaceEvent{dbt::kDeviceArrival, dbt::kDevTypPort, ""}},
        {"an event that carries no record", dbt::kDevNodesChanged, interfaceRecord, std::nullopt},
        {"no record", dbt::kDeviceArrival, 0, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto decoded = windows.DecodeDeviceBroadcast(row.event, row.record);
        ASSERT_EQ(decoded.has_value(), row.decoded.has_value());
        if (decoded) {
            EXPECT_EQ(decoded->eventCode, row.decoded->eventCode);
            EXPECT_EQ(decoded->deviceType, row.decoded->deviceType);
            EXPECT_EQ(decoded->interfaceName, row.decoded->interfaceName);
        }
    }
}

REGISTER_TYPED_TEST_SUITE_P(WindowConformance, AWindowIsFoundByClassAndByTitleInAnyCaseWhileItLives,
                            PostsReachTheLoopInOrderWithTheirParametersAndNoWindowTakesNone,
                            ARegisteredMessageIsOneNumberPerNameWhateverItsCase,
                            ModalLoopsReturnTheResultTheirEndGave,
                            ATimerTicksWithItsIdentifierUntilKilled,
                            SettingARunningTimerAgainRestartsItsCountdown,
                            DialogItemsGiveBackWhatWasSet,
                            DeviceInterfaceClassesRegisterAndBroadcastsDecode);

} // namespace window_test
