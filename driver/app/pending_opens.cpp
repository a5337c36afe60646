#include "driver/app/pending_opens.h"

#include "driver/state/driver_ids.h"

#include <algorithm>

namespace driver {

std::uint32_t PendingOpens::Start(std::function<bool()> wait, std::function<void()> cancel) {
    ForgetEnded();
    const std::uint32_t ticket = m_nextTicket++;
    auto outcome = std::make_shared<std::atomic<Outcome>>(Outcome::Waiting);
    // The worker holds only what it owns and the window system, which lives
    // as long as the process: it may still run when the dialog is gone.
    platform::MessagePort& windows = m_windows;
    const platform::WindowHandle dialog = m_dialog.load();
    auto thread =
        m_threads.CreateSuspended([&windows, dialog, ticket, outcome, wait = std::move(wait)] {
            const bool opened = wait();
            outcome->store(opened ? Outcome::Opened : Outcome::Failed);
            // Only a wake-up: the result above is what counts.
            windows.PostMessage(dialog, user_message::kOpenDone, ticket, opened ? 1 : 0);
            return 0;
        });
    if (!thread) {
        return 0;
    }
    thread->Resume();
    m_tasks.push_back({ticket, std::move(cancel), std::move(thread), std::move(outcome)});
    return ticket;
}

void PendingOpens::Cancel(std::uint32_t ticket) {
    for (Task& task : m_tasks) {
        if (task.ticket == ticket && task.cancel) {
            task.cancel();
        }
    }
}

void PendingOpens::CancelAll() {
    for (Task& task : m_tasks) {
        if (task.cancel) {
            task.cancel();
        }
    }
    for (Task& task : m_tasks) {
        task.thread->WaitForEnd(kEndWaitMs);
    }
    m_tasks.clear();
}

std::vector<PendingOpens::Finished> PendingOpens::TakeFinished() {
    std::vector<Finished> finished;
    for (Task& task : m_tasks) {
        const Outcome outcome = task.outcome->load();
        if (!task.taken && outcome != Outcome::Waiting) {
            task.taken = true;
            finished.push_back({task.ticket, outcome == Outcome::Opened});
        }
    }
    ForgetEnded();
    return finished;
}

void PendingOpens::ForgetEnded() {
    // A task whose result is not taken yet stays, ended or not.
    std::erase_if(m_tasks, [](Task& task) { return task.taken && task.thread->WaitForEnd(0); });
}

} // namespace driver
