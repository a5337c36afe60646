// The desktop's virtual clock: window timers and scheduled actions.
#include "platform/sim/sim_desktop.h"

#include "platform/window_messages.h"

#include <algorithm>

namespace platform {

bool SimDesktop::AdvanceToNextEvent(std::uint64_t limitMs) {
    std::function<void()> action;
    {
        std::lock_guard lock(m_mutex);
        std::uint64_t due = UINT64_MAX;
        for (const auto& [key, timer] : m_timers) {
            due = std::min(due, timer.due);
        }
        const auto scheduled = std::min_element(
            m_scheduled.begin(), m_scheduled.end(), [](const auto& a, const auto& b) {
                return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
            });
        const bool actionFirst = scheduled != m_scheduled.end() && scheduled->due <= due;
        if (actionFirst) {
            due = scheduled->due;
        }
        if (due == UINT64_MAX || due > limitMs) {
            return false;
        }
        if (due > m_elapsedMs) {
            m_clock.Advance(static_cast<std::uint32_t>(due - m_elapsedMs));
            m_elapsedMs = due;
        }
        if (actionFirst) {
            action = std::move(scheduled->action);
            m_scheduled.erase(scheduled);
        } else {
            for (auto& [key, timer] : m_timers) {
                if (timer.due != due) {
                    continue;
                }
                timer.due += timer.period;
                const WindowHandle window = key.first;
                const std::uintptr_t timerId = key.second;
                // Like the real queue, at most one timer message waits per timer.
                const bool pending =
                    std::any_of(m_queue.begin(), m_queue.end(), [&](const Queued& q) {
                        return q.window == window && q.message == wm::kTimer && q.wParam == timerId;
                    });
                if (!pending) {
                    m_queue.push_back({window, wm::kTimer, timerId, 0});
                }
            }
        }
    }
    if (action) {
        action();
    }
    return true;
}

bool SimDesktop::SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t milliseconds) {
    std::lock_guard lock(m_mutex);
    if (Find(window) == nullptr) {
        return false;
    }
    const std::uint64_t period = std::max<std::uint64_t>(milliseconds, 1);
    m_timers[{window, timerId}] = {period, m_elapsedMs + period};
    return true;
}

bool SimDesktop::KillTimer(WindowHandle window, std::uintptr_t timerId) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_queue, [&](const Queued& q) {
        return q.window == window && q.message == wm::kTimer && q.wParam == timerId;
    });
    return m_timers.erase({window, timerId}) > 0;
}

bool SimDesktop::HasTimer(WindowHandle window, std::uintptr_t timerId) const {
    std::lock_guard lock(m_mutex);
    return m_timers.count({window, timerId}) > 0;
}

void SimDesktop::At(std::uint64_t delayMs, std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    m_scheduled.push_back({m_elapsedMs + delayMs, m_nextSequence++, std::move(action)});
}

std::uint64_t SimDesktop::NowMs() const {
    std::lock_guard lock(m_mutex);
    return m_elapsedMs;
}

} // namespace platform
