// Pen-button clicks and tap-area taps counted by the reader thread while
// the dialog's timers evaluate and clear the counts: every report the
// companion gets is followed by the default action of that same report, and
// nothing stays counted once the board is quiet. Meant for TSan and ASan.
#include "platform/mouse_port.h"
#include "tests/support/reader_rig.h"
#include "tests/support/stress_scene.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

namespace driver {
namespace {

using namespace platform;
using testing_support::Frame;

constexpr int kClicks = 2000;
constexpr std::uint64_t kStepMs = 10;

// Clicks of pen button 1 at virtual times a few tens to some hundreds of
// milliseconds apart, so that they fall into every part of the timers'
// cycle; a tap on a left tap area now and then. Each contact ends with a lift.
class ClickingBoard {
public:
    ClickingBoard(SimSerialPort& port, SimClock& clock) : m_port(port), m_clock(clock) {
        m_thread = std::thread([this] { Run(); });
    }
    ~ClickingBoard() { m_thread.join(); }
    // Everything due by the virtual clock has been sent and read.
    bool CaughtUp() const { return m_nextAt > m_clock.TickCount() && m_port.QueuedBursts() == 0; }
    bool Done() const { return m_sent == kClicks; }

private:
    void Run() {
        std::mt19937 random(7);
        std::uniform_int_distribution<std::uint32_t> gap(20, 700);
        m_nextAt = m_clock.TickCount() + gap(random);
        for (int n = 0; n < kClicks;) {
            if (m_clock.TickCount() < m_nextAt) {
                std::this_thread::yield();
                continue;
            }
            const bool tap = n % 5 == 4;
            Send(tap ? Frame(0xEE, 0x81, 300, 5000) : Frame(0xEE, 0x85, 3000, 4000));
            Send(Frame(0xEE, 0x83, 3000, 4000));
            m_nextAt = m_clock.TickCount() + gap(random);
            m_sent = ++n;
        }
    }
    void Send(const PenFrame& frame) { m_port.Arrive({frame.begin(), frame.end()}); }

    SimSerialPort& m_port;
    SimClock& m_clock;
    std::atomic<std::uint32_t> m_nextAt{0};
    std::atomic<int> m_sent{0};
    std::thread m_thread;
};

class ClickCounting : public testing_support::StressScene {
protected:
    ClickCounting() {
        PlugInSerialBoard();
        // Fixed codes: 1 a single click of button 1, 2 a double one.
        m_machine.WriteInstalled("DualData.ini", "[LUMERASET]\r\nIF_SET_F_NO_T=1\r\n");
    }

    // The default actions in order: 1 a single left click, 2 a double click.
    std::vector<int> Actions() const {
        std::vector<int> actions;
        for (const MouseRecord& record : m_machine.mouse.Records()) {
            if (record.kind == MouseRecord::Kind::SetCursor) {
                actions.push_back(2);
            } else if (record.flags ==
                       (mouse_flags::kAbsolute | mouse_flags::kMove | mouse_flags::kLeftDown)) {
                actions.push_back(1);
            }
        }
        return actions;
    }
    std::vector<int> Reports(WindowHandle companion) const {
        std::vector<int> reports;
        for (const PostedMessage& m : m_machine.desktop.MessagesTo(companion)) {
            if (m.message == contract::companion::kButtonNotice) {
                reports.push_back(static_cast<int>(m.wParam));
            }
        }
        return reports;
    }
};

TEST_F(ClickCounting, EveryReportIsFollowedByItsOwnDefaultActionWhileClicksKeepComing) {
    const WindowHandle companion = m_machine.desktop.CreateLoggingWindow(
        std::string(contract::companion::kMainClass), std::string(contract::companion::kMainTitle));
    std::unique_ptr<ClickingBoard> board;
    At(kConnectedAtMs, [&] {
        ASSERT_EQ(m_state.linkOpen, 1);
        m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        m_state.functionAreasEnabled = true;
        board = std::make_unique<ClickingBoard>(m_machine.serial, m_machine.clock);
    });
    // The clock moves in small steps, each once the board has caught up with it.
    constexpr int kSteps = kClicks * 400 / static_cast<int>(kStepMs);
    Repeat(
        kConnectedAtMs + 1, kSteps,
        [&](int) {
            testing_support::WaitUntil([&] { return board->Done() || board->CaughtUp(); });
        },
        kStepMs);
    const std::uint64_t endMs = kConnectedAtMs + 1 + kSteps * kStepMs + 2000;
    At(endMs - 10, [&] {
        EXPECT_TRUE(board->Done());
        for (const auto& count : m_state.buttonClickCount) {
            EXPECT_EQ(count.load(), 0);
        }
        for (const auto& side : m_state.tapCount) {
            for (const auto& count : side) {
                EXPECT_EQ(count.load(), 0);
            }
        }
    });
    Run(endMs);
    board.reset();
    const std::vector<int> reports = Reports(companion);
    EXPECT_GT(reports.size(), kClicks / 4U);
    EXPECT_EQ(Actions(), reports) << "each report's own action, in order";
}

} // namespace
} // namespace driver
