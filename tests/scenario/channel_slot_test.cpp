#include "driver/ipc/channel_slot.h"
#include "tests/support/reader_rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace driver {
namespace {

using testing_support::Frame;
using testing_support::RecordingChannel;

TEST(ChannelSlot, WritesGoToThePublishedChannelOrNowhere) {
    ChannelSlot slot;
    const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(slot.Write(bytes));
    auto channel = std::make_shared<RecordingChannel>();
    slot.Publish(channel);
    EXPECT_TRUE(slot.Write(bytes));
    EXPECT_EQ(slot.Retire(), channel);
    EXPECT_FALSE(slot.Write(bytes));
    EXPECT_EQ(channel->Frames().size(), 1U);
}

// Second-pen frames flow through the reader's dispatch while the dialog
// thread opens and deletes channels: no write may reach a deleted channel.
TEST(ChannelSlot, ChannelsSwappedWhileFramesFlowAreNeverUsedAfterDeletion) {
    testing_support::ReaderRig rig;
    rig.state.dualPenMode = 1;
    std::atomic<int> writesAfterDeath{0};
    std::atomic<int> delivered{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> sending{false};

    std::thread dialogThread([&] {
        // On a loaded machine the rounds could all pass before the first
        // frame: they start once frames flow, and go on until a frame met a
        // channel, for a bounded count.
        while (!sending) {
            std::this_thread::yield();
        }
        constexpr int kRounds = 3000;
        constexpr int kMostRounds = 1000 * kRounds;
        for (int round = 0; round < kRounds || (delivered == 0 && round < kMostRounds); ++round) {
            rig.currentChannel.Publish(std::make_shared<RecordingChannel>(&writesAfterDeath));
            if (round % 3 == 0) {
                std::this_thread::yield();
            }
            // Deleted here unless a write holds it; then when that write ends.
            const std::shared_ptr<CDravikIPCBase> retired = rig.currentChannel.Retire();
            delivered +=
                static_cast<int>(static_cast<RecordingChannel*>(retired.get())->Frames().size());
        }
        stop = true;
    });
    int sent = 0;
    while (!stop || sent < 2000) {
        rig.dispatcher.Dispatch(Frame(0xAA, sent % 10 == 9 ? 0x83 : 0x81, 6000 + sent % 50, 6000));
        ++sent;
        sending = true;
    }
    dialogThread.join();
    EXPECT_EQ(writesAfterDeath, 0);
    EXPECT_GT(delivered, 0) << "some frames must have met a channel";
    EXPECT_LE(delivered, sent);
}

} // namespace
} // namespace driver
