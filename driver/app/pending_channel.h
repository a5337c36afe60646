#pragma once

#include "driver/app/pending_opens.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace driver {

// A channel whose open runs on a worker: held here, unseen by the reader,
// until its wait ends. Dialog thread only.
template <class Channel> class PendingChannel {
public:
    explicit PendingChannel(PendingOpens& opens) : m_opens(opens) {}

    // Drops any channel still waiting. False when no worker could be made;
    // nothing is pending then.
    bool Start(std::shared_ptr<Channel> channel, std::function<bool()> wait,
               std::function<void()> cancel) {
        Drop();
        m_ticket = m_opens.Start(std::move(wait), std::move(cancel));
        if (m_ticket != 0) {
            m_channel = std::move(channel);
        }
        return m_ticket != 0;
    }

    bool Waiting() const { return m_ticket != 0; }

    // Ends the wait and forgets the channel.
    void Drop() {
        if (m_ticket != 0) {
            m_opens.Cancel(m_ticket);
        }
        m_ticket = 0;
        m_channel.reset();
    }

    // The channel whose wait this was; none when the ticket is not this one's.
    std::optional<std::shared_ptr<Channel>> Finish(std::uint32_t ticket) {
        if (ticket == 0 || ticket != m_ticket) {
            return std::nullopt;
        }
        m_ticket = 0;
        return std::exchange(m_channel, nullptr);
    }

private:
    PendingOpens& m_opens;
    std::uint32_t m_ticket = 0;
    std::shared_ptr<Channel> m_channel;
};

} // namespace driver
