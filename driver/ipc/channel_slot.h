#pragma once

#include "driver/ipc/dravik_ipc_base.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <utility>

namespace driver {

// Where the reader finds the channel it writes to. The dialog thread
// publishes and retires channels; the reader holds a reference for the
// length of one write, so a retired channel is destroyed only after the
// write that uses it has returned, and the dialog thread never waits for a
// write that blocks.
class ChannelSlot {
public:
    void Publish(std::shared_ptr<CDravikIPCBase> channel) {
        std::lock_guard lock(m_mutex);
        m_channel = std::move(channel);
    }

    // Takes the channel out; it lives on while a write still uses it.
    std::shared_ptr<CDravikIPCBase> Retire() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_channel, nullptr);
    }

    bool HasChannel() const {
        std::lock_guard lock(m_mutex);
        return m_channel != nullptr;
    }

    // False when there is no channel: the frame is dropped.
    bool Write(std::span<const std::uint8_t> bytes) const {
        std::shared_ptr<CDravikIPCBase> channel;
        {
            std::lock_guard lock(m_mutex);
            channel = m_channel;
        }
        if (!channel) {
            return false;
        }
        channel->Write(bytes.data(), static_cast<int>(bytes.size()));
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<CDravikIPCBase> m_channel;
};

} // namespace driver
