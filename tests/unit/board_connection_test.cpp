#include "driver/link/board_connection.h"

#include "tests/support/expect_posts.h"
#include "tests/support/poll.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <vector>

namespace driver {
namespace {

using platform::SimHidPort;
using testing_support::Frame;
using testing_support::HidReportWith;
using testing_support::kAnyTime;
using testing_support::WaitUntil;

const std::string kBoard = "\\\\?\\hid#vid_1314&pid_1001#7&2f0a1c3&0&0000#{4d1e55b2-f16f-11cf-88cb-"
                           "001111000030}";
const std::string kSecondBoard = "\\\\?\\hid#vid_1314&pid_1001#7&9bb01e&0&0000#{4d1e55b2}";
const std::string kOtherProduct = "\\\\?\\hid#vid_1314&pid_1002#7&11d2e4&0&0000#{4d1e55b2}";
const std::string kKeyboard = "\\\\?\\hid#vid_046d&pid_c31c&mi_00#8&3a1b&0&0000#{4d1e55b2}";
const std::string kSerialBridge = "\\\\?\\usb#vid_10c4&pid_1320#0001#{a5dcbf10}";
const std::string kPortNameKey32 =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_1320&Mi_00\\0001_00\\Device Parameters";

struct TimerCall {
    bool start = true;
    DialogTimer timer;
    friend bool operator==(const TimerCall&, const TimerCall&) = default;
};

class RecordingTimers final : public DialogTimers {
public:
    void Start(DialogTimer timer) override { calls.push_back({true, timer}); }
    void Stop(DialogTimer timer) override { calls.push_back({false, timer}); }
    bool Started(DialogTimer timer) const {
        return std::ranges::find(calls, TimerCall{true, timer}) != calls.end();
    }
    std::vector<TimerCall> calls;
};

// The connection of a 32-bit driver over a simulated machine; the reader
// thread is real and runs the real loop.
class BoardConnectionTest : public ::testing::Test {
protected:
    BoardConnectionTest() {
        state.settingsPath = machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=3\r\n");
        connection.RegisterNotifications(dialogWindow);
    }

    void Broadcast(std::uint32_t event, std::uint32_t type, const std::string& name) {
        machine.desktop.SendDeviceChange(dialogWindow, event, type, name);
        const platform::PostedMessage sent = machine.desktop.MessagesTo(dialogWindow).back();
        ASSERT_EQ(sent.message, 0x219U);
        connection.OnDeviceChange(sent.wParam, sent.lParam);
    }
    std::vector<platform::PostedMessage> CompanionNotices() const {
        return machine.desktop.MessagesTo(companion);
    }
    int ColumnCount() const { return pipeline.calibration.Snapshot().grid.ColumnCount; }
    int LinkedChecks() {
        return machine.registry.OpenAttempts(connection.Serial().LinkedKeyPath());
    }
    // The serial board of a 32-bit Windows, linked, on a threaded port.
    void PlugInSerialBoard() {
        machine.serial.SetThreaded(true);
        machine.registry.SetString(kPortNameKey32, "PortName", "COM7");
        machine.registry.SetDword(connection.Serial().LinkedKeyPath(), "Linked", 1);
    }
    bool MouseEventsReach(std::size_t count) {
        return WaitUntil([&] { return machine.mouse.Events().size() >= count; });
    }

    testing_support::SimMachine machine{1000};
    testing_support::SimProcess process{machine};
    DriverState state;
    testing_support::RecordingDialogRequests dialog;
    RecordingTimers timers;
    PenPipeline pipeline{process.ports, state, dialog};
    platform::WindowHandle dialogWindow = machine.desktop.CreateLoggingWindow(
        std::string(contract::driver_window::kClass), std::string(contract::driver_window::kTitle));
    platform::WindowHandle companion = machine.desktop.CreateLoggingWindow(
        std::string(contract::companion::kMainClass), std::string(contract::companion::kMainTitle));
    BoardConnection connection{process.ports, state, pipeline, dialog, timers};
    SimHidPort& port = machine.hid;
};

TEST_F(BoardConnectionTest, FindsOnlyTheBoardAndTheFirstOneWins) {
    CHidDevice& device = connection.Hid();
    port.AddUnreadableDevice("\\\\?\\hid#broken");
    port.AddDevice("\\\\?\\hid#vid_845e&pid_0001", 0x845E, 0x0001);
    port.AddDevice(kOtherProduct, 0x1314, 0x1002);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), "") << "right vendor, wrong product";
    const std::string otherSizes = "\\\\?\\hid#vid_1314&pid_1001#other_sizes";
    for (const auto& [input, output] :
         {std::pair<std::uint16_t, std::uint16_t>(64, 21), {21, 64}, {0, 0}}) {
        port.AddDevice(otherSizes, 0x1314, 0x1001, input, output);
        EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), "") << input << "/" << output;
        port.RemoveDevice(otherSizes);
    }

    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.AddDevice(kSecondBoard, 0x1314, 0x1001);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), kBoard);
    port.RemoveDevice(kBoard);
    EXPECT_EQ(device.FindDevicePath(0x1314, 0x1001), kSecondBoard);
}

TEST_F(BoardConnectionTest, AbsentBoardOpensNothingButReloadsCalibrationEachAttempt) {
    port.AddDevice(kOtherProduct, 0x1314, 0x1002);
    connection.Connect();
    EXPECT_EQ(ColumnCount(), 3);
    machine.WriteInstalled("DualData.ini", "[coordinate]\r\nwdot=5\r\nhdot=4\r\n");
    connection.Connect();
    EXPECT_EQ(ColumnCount(), 5);
    EXPECT_FALSE(connection.OpenHidLink());
    EXPECT_TRUE(port.Opens().empty());
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(machine.threads.Created(), 0);
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_TRUE(timers.calls.empty());
    const platform::SimTrace::Line why{"OpenHidLink", 0, "no HID interface VID_1314&PID_1001"};
    EXPECT_EQ(machine.trace.Lines().back(), why) << "the log says why";
}

TEST_F(BoardConnectionTest, OpenSendsStartReport50msAfterTheOpensThenStartsReaderAndKeepAlive) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    state.announcePending = 0;
    connection.Connect();

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
    EXPECT_EQ(ColumnCount(), 3) << "loaded once, for the attempt";
    EXPECT_EQ(timers.calls,
              (std::vector<TimerCall>{{true, timer::kHidKeepAlive}, {false, timer::kConnect}}));

    // The reader runs and passes the board's frames on.
    EXPECT_EQ(machine.threads.Created(), 1);
    port.Feed(kBoard, HidReportWith(Frame(0xEE, 0x81, 8000, 8000)));
    EXPECT_TRUE(MouseEventsReach(1));
}

// Reports arrive every millisecond while the reader may stall for 200 ms
// after a button notice; the read handle's ring must hold them all.
TEST_F(BoardConnectionTest, ReadHandleKeepsAReaderPauseWorthOfReports) {
    CHidDevice device{port};
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

TEST_F(BoardConnectionTest, HalfOpenLinkKeepsItsHandleAndOpensOnlyTheMissingOne) {
    CHidDevice& device = connection.Hid();
    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.FailOpens(kBoard, SimHidPort::Access::Write, true);
    EXPECT_FALSE(connection.OpenHidLink());
    EXPECT_EQ(device.WriteHandle(), platform::kNoHidHandle) << "a failed open is stored as none";
    const platform::HidHandle read = device.ReadHandle();
    EXPECT_NE(read, platform::kNoHidHandle);
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(machine.threads.Created(), 0);

    port.FailOpens(kBoard, SimHidPort::Access::Write, false);
    ASSERT_TRUE(connection.OpenHidLink());
    const auto opens = port.Opens();
    ASSERT_EQ(opens.size(), 2U);
    EXPECT_EQ(opens[1].access, SimHidPort::Access::Write);
    EXPECT_EQ(device.ReadHandle(), read);
    EXPECT_TRUE(port.Closes().empty());
}

TEST_F(BoardConnectionTest, NoReaderThreadMeansNoLinkAndTheHandlesWaitForTheNextAttempt) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    machine.threads.FailCreation(true);
    EXPECT_FALSE(connection.OpenHidLink());
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_TRUE(timers.calls.empty());

    machine.threads.FailCreation(false);
    EXPECT_TRUE(connection.OpenHidLink());
    EXPECT_EQ(port.Opens().size(), 2U);
    EXPECT_TRUE(port.Closes().empty());
}

TEST_F(BoardConnectionTest, OverARunningSerialReaderNoSecondThreadIsMade) {
    PlugInSerialBoard();
    connection.Connect();
    ASSERT_EQ(state.linkOpen, 1);
    ASSERT_EQ(state.hidMode, 0);
    ASSERT_TRUE(WaitUntil([&] { return machine.serial.ReadsStarted() == 1; }));

    port.AddDevice(kBoard, 0x1314, 0x1001);
    connection.Connect();
    EXPECT_EQ(state.hidMode, 1);
    EXPECT_EQ(machine.threads.Created(), 1);
    // The serial read in progress ends with a frame; the next pass reads HID.
    machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x81, 8000, 8000)));
    port.Feed(kBoard, HidReportWith(Frame(0xEE, 0x81, 8100, 8000)));
    EXPECT_TRUE(MouseEventsReach(2)) << "one frame from each link";
    EXPECT_EQ(machine.serial.ReadsStarted(), 1) << "no serial read after the switch";
}

// Serial idle (a read under way), HID takes over, HID goes away, serial
// opens again: the port is free for the new open, and the new reader does
// not wait on the old read, which ended when HID took over.
TEST_F(BoardConnectionTest, SerialComesBackAfterTheHidLinkItGaveWayToIsGone) {
    PlugInSerialBoard();
    connection.Connect();
    ASSERT_TRUE(WaitUntil([&] { return machine.serial.ReadsStarted() == 1; }));
    port.AddDevice(kBoard, 0x1314, 0x1001);
    connection.Connect();
    port.Feed(kBoard, HidReportWith(Frame(0xEE, 0x81, 8100, 8000)));
    ASSERT_TRUE(MouseEventsReach(1));
    EXPECT_EQ(machine.serial.ReadsCancelled(), 1) << "the serial read ended at the switch";

    timers.calls.clear();
    port.RemoveDevice(kBoard);
    Broadcast(0x8004, 5, kBoard);
    EXPECT_EQ(machine.serial.Closes(), 1) << "the port the HID link took over from";
    ASSERT_TRUE(timers.Started(timer::kConnect)) << "no arrival will start it";
    connection.Connect();
    ASSERT_EQ(state.linkOpen, 1);
    ASSERT_EQ(state.hidMode, 0);
    ASSERT_TRUE(WaitUntil([&] { return machine.serial.ReadsStarted() == 2; }));
    machine.serial.Arrive(testing_support::Bytes(Frame(0xEE, 0x81, 8000, 8000)));
    EXPECT_TRUE(MouseEventsReach(2));
    EXPECT_EQ(state.linkOpen, 1) << "no teardown";
    EXPECT_TRUE(dialog.Posts().empty()) << "the reader did not give up";
}

TEST_F(BoardConnectionTest, KeepAliveRepeatsTheStartReportOnlyToASilentBoard) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    connection.Hid().OpenReadHandle(kBoard);
    connection.Hid().OpenWriteHandle(kBoard);

    // Reporting: the reader zeroes the count between ticks.
    for (int tick = 0; tick < 5; ++tick) {
        connection.KeepAliveTick();
        state.hidSilentTicks = 0;
    }
    EXPECT_TRUE(port.Writes().empty());

    // Silent: one start report per tick from the second tick on.
    std::vector<std::size_t> writesAfterTick;
    for (int tick = 0; tick < 4; ++tick) {
        connection.KeepAliveTick();
        writesAfterTick.push_back(port.Writes().size());
    }
    EXPECT_EQ(writesAfterTick, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(port.Writes().back().bytes,
              std::vector<std::uint8_t>(hidStartReport.begin(), hidStartReport.end()));
}

TEST_F(BoardConnectionTest, BoardRemovalClosesTheLinkAndEndsTheBlockedReader) {
    port.AddDevice(kBoard, 0x1314, 0x1001);
    port.AddDevice(kKeyboard, 0x046D, 0xC31C);
    ASSERT_TRUE(connection.OpenHidLink());
    ASSERT_TRUE(WaitUntil([&] { return port.BlockedReads() == 1; }));
    state.boardIdentified = 1;
    state.announcePending = 0;
    state.dualCapable = 1;
    const platform::HidHandle read = connection.Hid().ReadHandle();
    const platform::HidHandle write = connection.Hid().WriteHandle();

    // Another HID device going away changes nothing.
    Broadcast(0x8004, 5, kKeyboard);
    EXPECT_EQ(state.linkOpen, 1);
    EXPECT_TRUE(port.Closes().empty());
    EXPECT_TRUE(CompanionNotices().empty());

    port.RemoveDevice(kBoard);
    Broadcast(0x8004, 5, "\\\\?\\HID#Vid_1314&Pid_1001#7&2f0a1c3&0&0000#{4d1e55b2}");
    EXPECT_EQ(machine.threads.LastExitCode(), 0) << "ended before the close returned";
    EXPECT_EQ(port.Closes(), (std::vector<platform::HidHandle>{write, read}));
    EXPECT_EQ(connection.Hid().ReadHandle(), platform::kNoHidHandle);
    EXPECT_EQ(connection.Hid().WriteHandle(), platform::kNoHidHandle);
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_EQ(state.announcePending, 1);
    EXPECT_EQ(state.boardIdentified, 0);
    EXPECT_EQ(state.dualCapable, 0) << "as when the serial board goes";
    EXPECT_EQ(timers.calls.back(), (TimerCall{false, timer::kHidKeepAlive}));
    EXPECT_FALSE(timers.Started(timer::kConnect)) << "a removal waits for the arrival";
    EXPECT_EQ(LinkedChecks(), 0);

    // A second removal goes to the serial side, which is still linked.
    machine.registry.SetDword(connection.Serial().LinkedKeyPath(), "Linked", 1);
    Broadcast(0x8004, 5, kBoard);
    EXPECT_TRUE(testing_support::PostsAre(
        CompanionNotices(),
        {{kAnyTime, contract::companion::kNotice, 0, contract::companion::kBoardGone}}));
}

TEST_F(BoardConnectionTest, RemovalClosesTheHidLinkOnlyWhenItsOwnInterfaceIsGone) {
    const std::string unnamed = "\\\\?\\hid#virtualhid#3#{4d1e55b2}";
    struct Case {
        std::string open, other, removed;
        bool closes;
    };
    for (const Case& c :
         {Case{kBoard, kSecondBoard, kSecondBoard, false}, Case{kBoard, kSecondBoard, kBoard, true},
          Case{unnamed, kKeyboard, unnamed, true}}) {
        SCOPED_TRACE(c.removed);
        port.AddDevice(c.open, 0x1314, 0x1001);
        port.AddDevice(c.other, 0x1314, c.other == kKeyboard ? 0x1002 : 0x1001);
        ASSERT_TRUE(connection.OpenHidLink());
        port.RemoveDevice(c.removed);
        Broadcast(0x8004, 5, c.removed);
        EXPECT_EQ(state.linkOpen == 0, c.closes);
        connection.Close();
        state.linkOpen = 0;
        state.hidMode = 0;
        port.RemoveDevice(c.open);
        port.RemoveDevice(c.other);
    }
}

// The read handle is closed for good only after the reader left its loop:
// with the device still there, the close first ends the blocked read, even
// when a read starts just after the first cancel.
TEST_F(BoardConnectionTest, CloseEndsTheReaderBeforeItClosesTheReadHandle) {
    for (const bool driverEnds : {false, true}) {
        port.AddDevice(kBoard, 0x1314, 0x1001);
        ASSERT_TRUE(connection.OpenHidLink());
        ASSERT_TRUE(WaitUntil([&] { return port.BlockedReads() == 1; }));
        const platform::HidHandle read = connection.Hid().ReadHandle();
        port.MissNextCancel();

        if (driverEnds) {
            EXPECT_TRUE(connection.Close());
        } else {
            connection.CloseHidLink();
        }
        EXPECT_EQ(port.BlockedReads(), 0) << "ended before the close returned";
        EXPECT_EQ(port.Closes().back(), read);
        EXPECT_EQ(state.linkOpen, 0);
        state.hidMode = 0;
    }
}

// A reader that does not end in time is never joined by a second one on
// the same loop and ports.
TEST(ReaderThread, NoSecondThreadWhileTheFirstRuns) {
    platform::SimThreadPort threads;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ReaderThread reader{threads, [released] {
                            released.wait();
                            return 0;
                        }};
    ASSERT_TRUE(reader.CreateSuspended());
    reader.Resume();
    EXPECT_FALSE(reader.WaitForEnd(10));
    EXPECT_FALSE(reader.CreateSuspended());
    EXPECT_EQ(threads.Created(), 1);
    release.set_value();
    EXPECT_TRUE(reader.WaitForEnd(10'000));
    EXPECT_TRUE(reader.CreateSuspended());
    reader.Resume();
    EXPECT_TRUE(reader.WaitForEnd(10'000));
}

TEST_F(BoardConnectionTest, RemovalOnTheSerialLinkClosesItOnlyWhenNoLongerLinked) {
    PlugInSerialBoard();
    connection.Connect();
    ASSERT_EQ(state.linkOpen, 1);
    state.boardIdentified = 1;
    state.dualCapable = 1;
    state.announcePending = 0;

    Broadcast(0x8004, 5, kKeyboard);
    EXPECT_EQ(LinkedChecks(), 1);
    EXPECT_EQ(machine.serial.Closes(), 0);
    EXPECT_EQ(state.dualCapable, 1);

    machine.registry.SetDword(connection.Serial().LinkedKeyPath(), "Linked", 0);
    Broadcast(0x8004, 5, kSerialBridge);
    EXPECT_EQ(machine.serial.Closes(), 1);
    EXPECT_EQ(machine.threads.LastExitCode(), 0);
    EXPECT_EQ(state.hidMode, 0);
    EXPECT_EQ(state.announcePending, 1);
    EXPECT_EQ(state.dualCapable, 0);
    EXPECT_EQ(state.boardIdentified, 0);
    EXPECT_EQ(CompanionNotices().size(), 1U);
    EXPECT_TRUE(port.Closes().empty());
}

// A reader that gave up is followed by a new attempt only while the board's
// interface is still linked (a fault); a board that went away waits for its
// arrival, and its removal ends the retries that a fault started.
TEST_F(BoardConnectionTest, AReaderThatGaveUpReconnectsOnlyToABoardStillThere) {
    PlugInSerialBoard();
    const std::string linkedKey = connection.Serial().LinkedKeyPath();
    for (const bool stillLinked : {false, true}) {
        machine.registry.SetDword(linkedKey, "Linked", 1);
        dialog.Clear();
        timers.calls.clear();
        connection.Connect();
        ASSERT_EQ(state.linkOpen, 1);
        connection.OnReaderEnded(); // forged: the reader still reads
        ASSERT_EQ(state.linkOpen, 1);
        machine.serial.HangUp();
        ASSERT_TRUE(WaitUntil([&] { return !dialog.Posts().empty(); }));
        const auto ended = dialog.Posts().front();
        EXPECT_EQ(ended.message, user_message::kReaderEnded);
        machine.registry.SetDword(linkedKey, "Linked", stillLinked ? 1 : 0);
        connection.OnReaderEnded();
        EXPECT_EQ(state.linkOpen, 0);
        EXPECT_EQ(timers.Started(timer::kConnect), stillLinked) << "linked " << stillLinked;
    }
    machine.registry.SetDword(linkedKey, "Linked", 0);
    Broadcast(0x8004, 5, kSerialBridge);
    EXPECT_EQ(timers.calls.back(), (TimerCall{false, timer::kConnect}));
}

TEST_F(BoardConnectionTest, NoSerialReaderThreadClosesThePortAndKeepsTrying) {
    PlugInSerialBoard();
    machine.threads.FailCreation(true);
    connection.Connect();
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_EQ(machine.serial.Closes(), 1);
    EXPECT_FALSE(machine.serial.IsOpen());
    EXPECT_TRUE(timers.calls.empty()) << "the connect timer runs on";

    machine.threads.FailCreation(false);
    connection.Connect();
    EXPECT_EQ(state.linkOpen, 1) << "the next attempt opens again";
    EXPECT_EQ(timers.calls, (std::vector<TimerCall>{{false, timer::kConnect}}));
}

// The serial close clears the flag, ends the read the reader waits in, and
// closes the port only after the reader has ended; a second close does
// nothing.
TEST_F(BoardConnectionTest, SerialCloseEndsTheWaitingReaderBeforeItClosesThePort) {
    PlugInSerialBoard();
    connection.Connect();
    ASSERT_TRUE(WaitUntil([&] { return machine.serial.ReadsStarted() == 1; }));

    connection.CloseSerialPort();
    // A slow reader may need the purge more than once.
    std::vector<std::string> calls = machine.serial.LinkCalls();
    ASSERT_GE(calls.size(), 3U);
    EXPECT_EQ(calls.front(), "mask 0");
    EXPECT_EQ(calls.back(), "close") << "not under a running reader";
    for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
        EXPECT_EQ(calls[i], "purge 15") << "call " << i;
    }
    EXPECT_EQ(machine.threads.LastExitCode(), 0);
    EXPECT_EQ(state.linkOpen, 0);
    EXPECT_TRUE(machine.serial.Writes().empty());

    connection.CloseSerialPort();
    EXPECT_EQ(machine.serial.LinkCalls(), calls) << "a second close does nothing";
}

TEST_F(BoardConnectionTest, ArrivalStartsTheConnectTimerUnlessTheHidLinkRunsAndItIsAnotherDevice) {
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
        timers.calls.clear();
        state.linkOpen = c.linkOpen;
        state.hidMode = c.hidMode;
        state.button1Held = 1;
        Broadcast(0x8000, 5, c.name);
        const auto context = ::testing::Message()
                             << "link " << c.linkOpen << " hid " << c.hidMode << " " << c.name;
        EXPECT_EQ(timers.Started(timer::kConnect), c.connects) << context;
        EXPECT_EQ(state.button1Held, c.connects ? 0 : 1) << context;
    }
    state.linkOpen = 0;
    EXPECT_EQ(LinkedChecks(), 0);
}

TEST_F(BoardConnectionTest, OtherBroadcastsAreLeftAlone) {
    state.linkOpen = 1;
    state.hidMode = 0;
    Broadcast(0x8000, 2, kBoard);         // a volume
    Broadcast(0x8004, 3, "COM7");         // a port
    Broadcast(0x8001, 5, kKeyboard);      // query remove
    connection.OnDeviceChange(0x0007, 0); // device nodes changed: no record
    EXPECT_TRUE(timers.calls.empty());
    EXPECT_EQ(LinkedChecks(), 0);
    EXPECT_EQ(state.hidMode, 0);
    state.linkOpen = 0;
}

TEST_F(BoardConnectionTest, RegistersSerialThenHidInterfacesForEachWindowsKind) {
    state.isWow64 = 1;
    connection.RegisterNotifications(dialogWindow);
    const std::vector<platform::NotificationRegistration> expected = {
        {dialogWindow, "6C292E54-943B-4F84-A45A-D36CCA47EA0B"},
        {dialogWindow, "4d1e55b2-f16f-11cf-88cb-001111000030"},
        {dialogWindow, "4D36E978-E325-11CE-BFC1-08002BE10318"},
        {dialogWindow, "4d1e55b2-f16f-11cf-88cb-001111000030"},
    };
    EXPECT_EQ(machine.desktop.Registrations(), expected);
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
        EXPECT_EQ(BoardConnection::IsBoardHidInterface(name), board) << name;
    }
}

} // namespace
} // namespace driver
