#pragma once

#include "driver/state/dialog_timers.h"

#include <atomic>
#include <cstdint>

namespace driver {

// The reader's requests to start dialog timers. They are kept here, and the
// message that wakes the dialog carries nothing: any program can post it.
class TimerRequests {
public:
    // Reader thread. True when the dialog must be woken: nothing waited yet.
    bool Request(DialogTimer timer) {
        const std::uint32_t bit = BitOf(timer);
        return bit != 0 && m_requested.fetch_or(bit) == 0;
    }

    // Dialog thread: calls start for each timer asked for since the last time.
    template <class Start> void Take(Start&& start) {
        const std::uint32_t requested = m_requested.exchange(0);
        for (std::size_t i = 0; i < timer::kAll.size(); ++i) {
            if ((requested & (1U << i)) != 0) {
                start(timer::kAll[i]);
            }
        }
    }

private:
    static std::uint32_t BitOf(DialogTimer timer) {
        for (std::size_t i = 0; i < timer::kAll.size(); ++i) {
            if (timer::kAll[i] == timer) {
                return 1U << i;
            }
        }
        return 0;
    }

    std::atomic<std::uint32_t> m_requested{0};
};

} // namespace driver
