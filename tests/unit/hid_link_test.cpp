#include "driver/link/hid_link.h"

#include "driver/pen/reader_loop.h"
#include "platform/sim/sim_hid_port.h"
#include "platform/sim/sim_threads.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace driver {
namespace {

using platform::SimHidPort;
using testing_support::Frame;

const std::string kBoard = "\\\\?\\hid#vid_1314&pid_1001#7&2f0a1c3&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                           "001111000030}";
const std::string kSecondBoard = "\\\\?\\hid#vid_1314&pid_1001#7&9bb01e&0&0000#{4d1e55b2}";
const std::string kOtherProduct = "\\\\?\\hid#vid_1314&pid_1002#7&11d2e4&0&0000#{4d1e55b2}";
const std::string kKeyboard = "\\\\?\\hid#vid_046d&pid_c31c&mi_00#8&3a1b&0&0000#{4d1e55b2}";
const std::string kSerialBridge = "\\\\?\\usb#vid_10c4&pid_1320#0001#{a5dcbf10}";

constexpr std::uint32_t kNotice = 0x7F2;

struct TimerCall {
    bool start = true;
    std::uintptr_t id = 0;
    std::uint32_t milliseconds = 0;
    friend bool operator==(const TimerCall&, const TimerCall&) = default;
};

// The desktop, with every timer start and stop on record.
class TimerRecordingDesktop : public platform::SimDesktop {
public:
    using SimDesktop::SimDesktop;
    bool SetTimer(platform::WindowHandle window, std::uintptr_t id, std::uint32_t ms) override {
        timers.push_back({true, id, ms});
        return SimDesktop::SetTimer(window, id, ms);
    }
    bool KillTimer(platform::WindowHandle window, std::uintptr_t id) override {
        timers.push_back({false, id, 0});
        return SimDesktop::KillTimer(window, id);
    }
    std::vector<TimerCall> timers;
};

class FakeSerialLink : public SerialLinkControl {
public:
    int IsSerialInterfaceLinked() override {
        ++linkedChecks;
        return linked;
    }
    void CloseSerialPort() override { ++closes; }
    int linked = 1;
    int linkedChecks = 0;
    int closes = 0;
};

HidReport ReportWith(const PenFrame& frame) {
    HidReport report{};
    report[0] = 0x01;
    std::copy(frame.begin(), frame.end(), report.begin() + 2);
    return report;
}

template <typename Condition> bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The HID link over a simulated port, with the real reader loop as the
// reader thread's body.
class HidLinkTest : public ::testing::Test {
protected:
    ~HidLinkTest() override {
        rig.state.linkOpen = 0;
        device.CloseHandles();
        rig.serial.Abort();
        reader.WaitAndRelease(10'000);
    }

    std::vector<platform::PostedMessage> CompanionNotices() const {
        return desktop.MessagesTo(companion);
    }
    void Broadcast(std::uint32_t event, std::uint32_t type, const std::string& name) {
        desktop.SendDeviceChange(dialog, event, type, name);
        const platform::PostedMessage sent = desktop.MessagesTo(dialog).back();
        ASSERT_EQ(sent.message, 0x219U);
        link.OnDeviceChange(sent.wParam, sent.lParam);
    }
    bool Has(const TimerCall& call) const {
        return std::find(desktop.timers.begin(), desktop.timers.end(), call) !=
               desktop.timers.end();
    }

    testing_support::ReaderRig rig;
    DriverState& state = rig.state;
    TimerRecordingDesktop desktop{rig.clock};
    platform::WindowHandle dialog = desktop.CreateLoggingWindow("#32770", "QelELECDUALPRO");
    platform::WindowHandle companion = desktop.CreateLoggingWindow("TfrmReSent", "EBoard");
    SimHidPort port{rig.clock};
    platform::SimThreadPort threads;
    FakeSerialLink serial;
    int calibrationLoads = 0;
    CHidDevice device{port};
    ReaderLoop loop{rig.state, rig.serial, device, rig.clock, rig.companion, rig.dispatcher};
    ReaderThread reader{threads, [this] {
                            return loop.ReaderThreadProc();
                        }};
    HidLink link = [this] {
        HidLink made({state, device, desktop, rig.clock, reader, serial, [this] {
                          ++calibrationLoads;
                      }});
        made.AttachDialog(dialog);
        return made;
    }();
};

TEST_F(HidLinkTest, FindsOnlyTheBoardAndTheFirstOneWins) {
    port.AddUnreadableDevice("\\\\?\\hid#broken");
    port.AddDevice("\\\\?\\hid#vid_845e&pid_0001", 0x845E, 0x0001);
    port.AddDevice(kOtherProduct, 0x1314, 0x1002);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), "") << "right vendor, wrong product";

    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.AddDevice(kSecondBoard, 0x1314, 0x1001);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), kBoard);
    port.RemoveDevice(kBoard);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), kSecondBoard);
}

TEST_F(HidLinkTest, AbsentBoardOpensNothingButReloadsCalibrationEachAttempt) {
    port.AddDevice(kOtherProduct, 0x1314, 0x1002);
    EXPECT_FALSE(link.OpenHidLink());
    EXPECT_FALSE(link.OpenHidLink());
    EXPECT_EQ(calibrationLoads, 2);
    EXPECT_TRUE(port.Opens().empty());
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(threads.Created(), 0);
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_TRUE(desktop.timers.empty());
}

TEST_F(HidLinkTest, OpenSendsStartReport50msAfterTheOpensThenStartsReaderAndKeepAlive) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    state.announcePending = 0;
    ASSERT_TRUE(link.OpenHidLink());

    const auto opens = port.Opens();
    ASSERT_EQ(opens.size(), 2U);
    EXPECT_EQ(opens[0].access, SimHidPort::Access::Read);
    EXPECT_EQ(opens[1].access, SimHidPort::Access::Write);
    const auto writes = port.Writes();
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(writes[0].atMs, opens[1].atMs + 50);
    const std::vector<std::uint8_t> start = {0x02, 0x08, 0xCE, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0,    0,    0,    0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(writes[0].bytes, start);
    EXPECT_EQ(state.announcePending, 1);
    EXPECT_EQ(state.linkOpen, 1);
    EXPECT_EQ(state.hidMode, 1);
    EXPECT_EQ(calibrationLoads, 1);
    EXPECT_EQ(desktop.timers, (std::vector<TimerCall>{{true, 111, 1000}}));

    // The reader runs and passes the board's frames on.
    EXPECT_EQ(threads.Created(), 1);
    port.Feed(kBoard, ReportWith(Frame(0xEE, 0x81, 8000, 8000)));
    EXPECT_TRUE(WaitFor([&] { return rig.mouse.Events().size() == 1; }));
}

// Reports arrive every millisecond while the reader may stall for 200 ms
// after a button notice; the read handle's ring must hold them all.
TEST_F(HidLinkTest, ReadHandleKeepsAReaderPauseWorthOfReports) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    const platform::HidHandle read = device.OpenReadHandle(kBoard);
    const auto requests = port.BufferRequests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].handle, read);
    EXPECT_GE(requests[0].count, 250U);
    EXPECT_TRUE(requests[0].accepted) << "the system refuses more than 512";

    for (std::uint8_t i = 0; i < 250; ++i) {
        port.Feed(kBoard, HidReport{0x01, i});
    }
    for (std::uint8_t i = 0; i < 250; ++i) {
        HidReport got{};
        ASSERT_EQ(device.ReadReport(got), kHidReportSize);
        ASSERT_EQ(got[1], i) << "report " << int{i} << " lost";
    }
}

TEST_F(HidLinkTest, HalfOpenLinkKeepsItsHandleAndOpensOnlyTheMissingOne) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.FailOpens(kBoard, SimHidPort::Access::Write, true);
    EXPECT_FALSE(link.OpenHidLink());
    EXPECT_EQ(device.WriteHandle(), platform::kNoHidHandle) << "a failed open is stored as none";
    const platform::HidHandle read = device.ReadHandle();
    EXPECT_NE(read, platform::kNoHidHandle);
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(threads.Created(), 0);

    port.FailOpens(kBoard, SimHidPort::Access::Write, false);
    ASSERT_TRUE(link.OpenHidLink());
    const auto opens = port.Opens();
    ASSERT_EQ(opens.size(), 2U);
    EXPECT_EQ(opens[1].access, SimHidPort::Access::Write);
    EXPECT_EQ(device.ReadHandle(), read);
    EXPECT_TRUE(port.Closes().empty());
}

TEST_F(HidLinkTest, NoReaderThreadMeansNoLinkAndTheHandlesWaitForTheNextAttempt) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    threads.FailCreation(true);
    EXPECT_FALSE(link.OpenHidLink());
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_TRUE(desktop.timers.empty());

    threads.FailCreation(false);
    EXPECT_TRUE(link.OpenHidLink());
    EXPECT_EQ(port.Opens().size(), 2U);
    EXPECT_TRUE(port.Closes().empty());
}

TEST_F(HidLinkTest, OverARunningSerialReaderNoSecondThreadIsMade) {
    rig.serial.SetThreaded(true);
    state.linkOpen = 1;
    state.hidMode = 0;
    ASSERT_TRUE(reader.CreateSuspended());
    reader.Resume();
    ASSERT_TRUE(WaitFor([&] { return rig.serial.ReadsStarted() == 1; }));

    port.AddDevice(kBoard, 0x1314, 0x1001);
    ASSERT_TRUE(link.OpenHidLink());
    EXPECT_EQ(threads.Created(), 1);
    // The serial read in progress ends with a frame; the next pass reads HID.
    const PenFrame touch = Frame(0xEE, 0x81, 8000, 8000);
    rig.serial.Arrive({touch.begin(), touch.end()});
    port.Feed(kBoard, ReportWith(Frame(0xEE, 0x81, 8100, 8000)));
    EXPECT_TRUE(WaitFor([&] { return rig.mouse.Events().size() == 2; }))
        << "one frame from each link";
    EXPECT_EQ(rig.serial.ReadsStarted(), 1) << "no serial read after the switch";
}

TEST_F(HidLinkTest, KeepAliveRepeatsTheStartReportOnlyToASilentBoard) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    device.OpenReadHandle(kBoard);
    device.OpenWriteHandle(kBoard);
    state.hidMode = 1;

    // Reporting: the reader zeroes the count between ticks.
    for (int tick = 0; tick < 5; ++tick) {
        link.KeepAliveTick();
        port.Feed(kBoard, ReportWith(Frame(0xEE, 0x83, 8000, 8000)));
        ASSERT_TRUE(loop.RunOnce());
    }
    EXPECT_TRUE(port.Writes().empty());

    // Silent: one start report per tick from the second tick on.
    std::vector<std::size_t> writesAfterTick;
    for (int tick = 0; tick < 4; ++tick) {
        link.KeepAliveTick();
        writesAfterTick.push_back(port.Writes().size());
    }
    EXPECT_EQ(writesAfterTick, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(port.Writes().back().bytes,
              std::vector<std::uint8_t>(hidStartReport.begin(), hidStartReport.end()));
}

TEST_F(HidLinkTest, BoardRemovalClosesTheLinkAndEndsTheBlockedReader) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.AddDevice(kKeyboard, 0x046D, 0xC31C);
    ASSERT_TRUE(link.OpenHidLink());
    ASSERT_TRUE(WaitFor([&] { return port.BlockedReads() == 1; }));
    state.boardIdentified = 1;
    state.announcePending = 0;
    const platform::HidHandle read = device.ReadHandle();
    const platform::HidHandle write = device.WriteHandle();

    // Another HID device going away changes nothing.
    Broadcast(0x8004, 5, kKeyboard);
    EXPECT_EQ(state.linkOpen, 1);
    EXPECT_TRUE(port.Closes().empty());
    EXPECT_TRUE(CompanionNotices().empty());

    port.RemoveDevice(kBoard);
    Broadcast(0x8004, 5, "\\\\?\\HID#Vid_1314&Pid_1001#7&2f0a1c3&0&0000#{4d1e55b2}");
    EXPECT_TRUE(reader.WaitAndRelease(10'000));
    EXPECT_EQ(threads.LastExitCode(), 0);
    EXPECT_EQ(port.Closes(), (std::vector<platform::HidHandle>{write, read}));
    EXPECT_EQ(device.ReadHandle(), platform::kNoHidHandle);
    EXPECT_EQ(device.WriteHandle(), platform::kNoHidHandle);
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_EQ(state.announcePending, 1);
    EXPECT_EQ(state.boardIdentified, 0);
    EXPECT_EQ(desktop.timers.back(), (TimerCall{false, 111, 0}));
    EXPECT_EQ(serial.linkedChecks, 0);

    // A second removal goes to the serial side, which is still linked.
    Broadcast(0x8004, 5, kBoard);
    const auto notices = CompanionNotices();
    ASSERT_EQ(notices.size(), 1U);
    EXPECT_EQ(notices[0].message, kNotice);
    EXPECT_EQ(notices[0].wParam, 0U);
    EXPECT_EQ(notices[0].lParam, 0x119);
}

// The read handle is closed for good only after the reader left its loop:
// with the device still there, the close first ends the blocked read.
TEST_F(HidLinkTest, CloseEndsTheReaderBeforeItClosesTheReadHandle) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    ASSERT_TRUE(link.OpenHidLink());
    ASSERT_TRUE(WaitFor([&] { return port.BlockedReads() == 1; }));
    const platform::HidHandle read = device.ReadHandle();

    link.CloseHidLink();
    EXPECT_EQ(threads.LastExitCode(), 0) << "ended before the close returned";
    EXPECT_EQ(port.Closes().back(), read);
    EXPECT_EQ(state.linkOpen, 0);
}

TEST_F(HidLinkTest, RemovalOnTheSerialLinkClosesItOnlyWhenNoLongerLinked) {
    state.linkOpen = 1;
    state.hidMode = 0;
    state.boardIdentified = 1;
    state.dualCapable = 1;
    state.announcePending = 0;

    Broadcast(0x8004, 5, kKeyboard);
    EXPECT_EQ(serial.linkedChecks, 1);
    EXPECT_EQ(serial.closes, 0);
    EXPECT_EQ(state.dualCapable, 1);

    serial.linked = 0;
    Broadcast(0x8004, 5, kSerialBridge);
    EXPECT_EQ(serial.closes, 1);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_EQ(state.announcePending, 1);
    EXPECT_EQ(state.dualCapable, 0);
    EXPECT_EQ(state.boardIdentified, 0);
    EXPECT_EQ(CompanionNotices().size(), 1U);
    EXPECT_TRUE(port.Closes().empty());
}

TEST_F(HidLinkTest, ArrivalStartsTheConnectTimerUnlessTheHidLinkRunsAndItIsAnotherDevice) {
    struct Case {
        int linkOpen, hidMode;
        std::string name;
        bool connects;
    };
    const Case cases[] = {
        {1, 1, kKeyboard, false},    {1, 1, kBoard, true},    {1, 0, kKeyboard, true},
        {1, 0, kSerialBridge, true}, {0, 0, kKeyboard, true}, {0, 1, kKeyboard, true},
    };
    for (const Case& c : cases) {
        desktop.timers.clear();
        state.linkOpen = c.linkOpen;
        state.hidMode = c.hidMode;
        state.button1Held = 1;
        Broadcast(0x8000, 5, c.name);
        const auto context = ::testing::Message()
                             << "link " << c.linkOpen << " hid " << c.hidMode << " " << c.name;
        EXPECT_EQ(Has({true, 113, 2000}), c.connects) << context;
        EXPECT_EQ(state.button1Held, c.connects ? 0 : 1) << context;
    }
    EXPECT_EQ(serial.linkedChecks, 0);
}

TEST_F(HidLinkTest, OtherBroadcastsAreLeftAlone) {
    state.linkOpen = 1;
    state.hidMode = 0;
    Broadcast(0x8000, 2, kBoard);    // a volume
    Broadcast(0x8004, 3, "COM7");    // a port
    Broadcast(0x8001, 5, kKeyboard); // query remove
    link.OnDeviceChange(0x0007, 0);  // device nodes changed: no record
    EXPECT_TRUE(desktop.timers.empty());
    EXPECT_EQ(serial.linkedChecks, 0);
    EXPECT_EQ(state.hidMode, 0);
}

TEST_F(HidLinkTest, RegistersSerialThenHidInterfacesForEachWindowsKind) {
    link.RegisterInterfaceNotifications(false);
    link.RegisterInterfaceNotifications(true);
    const std::vector<platform::NotificationRegistration> expected = {
        {dialog, "6C292E54-943B-4F84-A45A-D36CCA47EA0B"},
        {dialog, "4d1e55b2-f16f-11cf-88cb-001111000030"},
        {dialog, "4D36E978-E325-11CE-BFC1-08002BE10318"},
        {dialog, "4d1e55b2-f16f-11cf-88cb-001111000030"},
    };
    EXPECT_EQ(desktop.Registrations(), expected);
}

TEST(IsBoardHidInterface, MatchesTheIdsAfterTheEightCharacterPrefixInAnyCase) {
    const std::pair<std::string, bool> cases[] = {
        {kBoard, true},
        {"\\\\?\\HID#VID_1314&PID_1001", true},
        {"\\\\?\\HID#VID_1314&PID_100", false}, // one character short
        {"", false},
        {"\\\\?\\HID#{00001124}_VID&00021314_PID&1001", false},
        {"\\\\?\\USB#VID_1314&PID_1001#0001", true},
        {kSerialBridge, false},
        {"\\\\?\\hidd#vid_1314&pid_1001#0001", false},
    };
    for (const auto& [name, board] : cases) {
        EXPECT_EQ(HidLink::IsBoardHidInterface(name), board) << name;
    }
}

} // namespace
} // namespace driver
