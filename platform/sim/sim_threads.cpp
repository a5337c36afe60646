#include "platform/sim/sim_threads.h"

#include <chrono>
#include <future>
#include <thread>

namespace platform {
namespace {

class SimThread : public Thread {
public:
    SimThread(std::function<int()> body, std::atomic<int>& lastExitCode)
        : m_body(std::move(body)), m_lastExitCode(lastExitCode) {}

    // A thread that outlives its handle is waited for, as the process end
    // would; tests must let their threads end.
    ~SimThread() override {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    void Resume() override {
        if (m_thread.joinable()) {
            return;
        }
        std::packaged_task<int()> task([this] {
            const int code = m_body();
            m_lastExitCode = code;
            return code;
        });
        m_ended = task.get_future();
        m_thread = std::thread(std::move(task));
    }

    // Real time, not the virtual clock: the thread is real and only ends in
    // its own time, so a virtual wait would give up before it had a chance.
    bool WaitForEnd(std::uint32_t milliseconds) override {
        return !m_ended.valid() || m_ended.wait_for(std::chrono::milliseconds(milliseconds)) ==
                                       std::future_status::ready;
    }

private:
    std::function<int()> m_body;
    std::atomic<int>& m_lastExitCode;
    std::future<int> m_ended;
    std::thread m_thread;
};

} // namespace

std::unique_ptr<Thread> SimThreadPort::CreateSuspended(std::function<int()> body) {
    if (m_failCreation) {
        return nullptr;
    }
    ++m_created;
    return std::make_unique<SimThread>(std::move(body), m_lastExitCode);
}

} // namespace platform
