#pragma once

#include "driver/state/dialog_requests.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace testing_support {

// The dialog as the reader sees it: counts what it is asked and, unless
// told only to count (for allocation tests and benchmarks), records it.
class RecordingDialogRequests final : public driver::DialogRequests {
public:
    struct Posted {
        std::uint32_t message;
        platform::WParam wParam;
        platform::LParam lParam;
        friend bool operator==(const Posted&, const Posted&) = default;
    };

    explicit RecordingDialogRequests(bool keep = true) : m_keep(keep) {}

    void PostToDialog(std::uint32_t message, platform::WParam wParam,
                      platform::LParam lParam) override {
        ++postCount;
        if (m_keep) {
            std::lock_guard lock(m_mutex);
            m_posted.push_back({message, wParam, lParam});
        }
    }
    void StartDialogTimer(driver::DialogTimer timer) override {
        ++timerStartCount;
        if (m_keep) {
            std::lock_guard lock(m_mutex);
            m_timers.push_back(timer);
        }
    }

    std::vector<Posted> Posts() const {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }
    std::vector<driver::DialogTimer> TimerStarts() const {
        std::lock_guard lock(m_mutex);
        return m_timers;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_posted.clear();
        m_timers.clear();
    }

    std::atomic<std::uint64_t> postCount{0};
    std::atomic<std::uint64_t> timerStartCount{0};

private:
    const bool m_keep;
    mutable std::mutex m_mutex;
    std::vector<Posted> m_posted;
    std::vector<driver::DialogTimer> m_timers;
};

} // namespace testing_support
