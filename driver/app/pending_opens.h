#pragma once

#include "platform/message_port.h"
#include "platform/thread_port.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace driver {

// Waits for other programs on threads of their own, so that the dialog's
// thread never waits for a companion or a calibration program that may never
// open its pipe. When a wait ends, the worker keeps its result in its task
// and wakes the dialog with kOpenDone; the dialog's thread then takes the
// results with TakeFinished. The message carries nothing the dialog trusts:
// any program can post it. Dialog thread only.
class PendingOpens {
public:
    // How long the dialog's end waits for the workers after cancelling them.
    static constexpr std::uint32_t kEndWaitMs = 5000;

    struct Finished {
        std::uint32_t ticket = 0;
        bool opened = false;
    };

    PendingOpens(platform::ThreadPort& threads, platform::MessagePort& windows)
        : m_threads(threads), m_windows(windows) {}
    ~PendingOpens() { CancelAll(); }
    PendingOpens(const PendingOpens&) = delete;
    PendingOpens& operator=(const PendingOpens&) = delete;

    // Where kOpenDone goes; set once the dialog's window exists.
    void SetDialog(platform::WindowHandle dialog) { m_dialog = dialog; }

    // Runs wait on a worker. cancel ends the wait early from the dialog's
    // thread. The callables must own what they use: a worker may outlive the
    // object that started it. 0 when no worker could be made.
    std::uint32_t Start(std::function<bool()> wait, std::function<void()> cancel);
    // Ends the wait of ticket; its result still comes.
    void Cancel(std::uint32_t ticket);
    // Ends every wait and waits, bounded, for the workers to finish.
    void CancelAll();

    // The waits that ended since the last call, in the order they started.
    std::vector<Finished> TakeFinished();

private:
    // Written once by the worker, read by the dialog's thread.
    enum class Outcome : int { Waiting, Failed, Opened };

    struct Task {
        std::uint32_t ticket = 0;
        std::function<void()> cancel;
        std::unique_ptr<platform::Thread> thread;
        std::shared_ptr<std::atomic<Outcome>> outcome;
        bool taken = false;
    };

    void ForgetEnded();

    platform::ThreadPort& m_threads;
    platform::MessagePort& m_windows;
    std::atomic<platform::WindowHandle> m_dialog{platform::kNoWindow};
    std::uint32_t m_nextTicket = 1;
    std::vector<Task> m_tasks;
};

} // namespace driver
