// Companions ask for, replace and drop their dual-pen channel with
// contract::registered::kDriverSet thousands of times while the reader thread writes the
// second pen's frames from the board: no write may race the channel's end,
// and a companion only ever sees whole frames. Meant for TSan and ASan.
#include "driver/state/driver_ids.h"
#include "tests/support/board_feeder.h"
#include "tests/support/reader_rig.h"
#include "tests/support/stress_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace driver {
namespace {

using testing_support::Frame;

// Steps of requests; each asks for a channel or drops one, most for both.
constexpr int kSteps = 10000;
const std::string kPipe(contract::companion::kDualPenPipe);

class ChannelRequestsStress : public testing_support::StressScene {
protected:
    ChannelRequestsStress() { PlugInSerialBoard(); }
};

// The companion of the pipe channels: opens every new instance and reads
// each to its end on a thread of its own (a new instance waits while the
// old one is still published), checking that the streams are made of
// whole, valid frames.
class PipeCompanion {
public:
    explicit PipeCompanion(platform::IpcPort& ipc) : m_ipc(ipc), m_thread([this] { Run(); }) {}
    ~PipeCompanion() { Stop(); }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    std::uint64_t Frames() const { return m_frames; }
    std::uint64_t BrokenFrames() const { return m_broken; }

private:
    struct Reading {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void Run() {
        std::vector<Reading> readings;
        while (!m_stop) {
            std::erase_if(readings, [](Reading& r) {
                if (!*r.done) {
                    return false;
                }
                r.thread.join();
                return true;
            });
            std::shared_ptr<platform::StreamEnd> end = m_ipc.OpenPipeClient(kPipe);
            if (!end) {
                std::this_thread::yield();
                continue;
            }
            auto done = std::make_shared<std::atomic<bool>>(false);
            readings.push_back({std::thread([this, end, done] {
                                    ReadToTheEnd(*end);
                                    *done = true;
                                }),
                                done});
        }
        for (Reading& r : readings) {
            r.thread.join();
        }
    }

    void ReadToTheEnd(platform::StreamEnd& end) {
        PenFrame frame{};
        std::size_t filled = 0;
        for (int got; (got = end.Receive(std::span(frame).subspan(filled))) > 0;) {
            filled += static_cast<std::size_t>(got);
            if (filled == frame.size()) {
                ++(FrameChecksumOk(frame) && frame[0] == 0xAA ? m_frames : m_broken);
                filled = 0;
            }
        }
        // A stream may end inside a frame only when this companion fell behind
        // by more than a write's wait as its channel went: not counted.
    }

    platform::IpcPort& m_ipc;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint64_t> m_frames{0};
    std::atomic<std::uint64_t> m_broken{0};
    std::thread m_thread;
};

TEST_F(ChannelRequestsStress, ChannelsComeAndGoWhileTheReaderWritesTheSecondPen) {
    std::unique_ptr<testing_support::BoardFeeder> board;
    std::unique_ptr<PipeCompanion> companion;
    int opens = 0;
    At(kConnectedAtMs, [&] {
        ASSERT_EQ(m_state.linkOpen, 1);
        m_dialog->Pipeline().calibration.Publish(testing_support::ReaderCalibration());
        companion = std::make_unique<PipeCompanion>(m_machine.ipc);
        board =
            std::make_unique<testing_support::BoardFeeder>(m_machine.serial, [](std::uint64_t n) {
                return Frame(0xAA, n % 8 == 7 ? 0x83 : 0x81, 2000 + static_cast<int>(n % 512),
                             3000);
            });
    });
    // Socket (nobody listens: writes go nowhere), pipe (the companion comes),
    // a pipe replaced while it waits, and drops of either kind.
    namespace set = contract::driver_set;
    constexpr platform::WParam kPipeRequest = set::kPipeChannel,
                               kSocketRequest = set::kSocketChannel;
    constexpr std::array<std::array<platform::WParam, 2>, 6> kRounds = {
        {{kSocketRequest, 0},
         {kPipeRequest, 0},
         {set::kStopChannel, 0},
         {kPipeRequest, kSocketRequest},
         {set::kStopChannelToo, kPipeRequest},
         {kSocketRequest, set::kStopChannel}}};
    Repeat(kConnectedAtMs + 1, kSteps, [&](int k) {
        // Now and then every open asked for so far (the requests of earlier
        // steps, which the dialog has handled) must have ended, so that
        // channels are really published and deleted rather than only cancelled.
        if (k % 16 == 15) {
            AwaitPostNow(user_message::kOpenDone, opens);
        }
        for (const platform::WParam command :
             kRounds[static_cast<std::size_t>(k) % kRounds.size()]) {
            if (command == 0) {
                continue;
            }
            m_machine.desktop.PostMessage(
                DriverWindow(),
                m_machine.desktop.RegisterWindowMessage(contract::registered::kDriverSet), command,
                set::kChannelArgument);
            opens += command == kPipeRequest || command == kSocketRequest ? 1 : 0;
        }
    });
    At(kConnectedAtMs + kSteps + 10, [&] {
        m_machine.desktop.PostMessage(
            DriverWindow(),
            m_machine.desktop.RegisterWindowMessage(contract::registered::kDriverSet),
            contract::driver_set::kStopChannel, contract::driver_set::kChannelArgument);
    });
    At(kConnectedAtMs + kSteps + 20, [&] {
        AwaitPostNow(user_message::kOpenDone, opens);
        EXPECT_EQ(m_state.dualPenMode, 0);
        EXPECT_FALSE(m_dialog->Pipeline().currentChannel.HasChannel());
        board->Stop();
        companion->Stop();
    });
    Run(kConnectedAtMs + kSteps + 100);
    EXPECT_EQ(opens, kSteps);
    EXPECT_GT(board->Sent(), 0U);
    EXPECT_GT(companion->Frames(), 0U) << "frames reached some pipe channel";
    EXPECT_EQ(companion->BrokenFrames(), 0U);
}

} // namespace
} // namespace driver
