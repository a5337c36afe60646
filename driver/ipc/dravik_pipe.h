#pragma once

#include "driver/ipc/dravik_ipc_base.h"
#include "driver/ipc/frame_stream.h"
#include "driver/ipc/server_wait.h"
#include "platform/clock_port.h"
#include "platform/ipc_port.h"

#include <memory>
#include <mutex>
#include <string>

namespace driver {

// The named-pipe channel to the companion. All pipe channels of a driver
// write and read through one class-wide handle, which every Open that
// succeeds replaces. Open: client, server (returns once a
// client has opened the pipe), or loopback: both ends on the same name.
class CDravikPipe : public CDravikIPCBase {
public:
    // The class-wide handle: one per driver, shared by its pipe channels,
    // which it outlives.
    class ClassHandle {
    public:
        std::shared_ptr<FrameStream> Current() const {
            const std::lock_guard lock(m_mutex);
            return m_current;
        }
        void Replace(std::shared_ptr<FrameStream> stream) {
            const std::lock_guard lock(m_mutex);
            m_current = std::move(stream);
        }
        void ClearIf(const FrameStream* stream) {
            const std::lock_guard lock(m_mutex);
            if (m_current.get() == stream) {
                m_current.reset();
            }
        }

    private:
        mutable std::mutex m_mutex;
        std::shared_ptr<FrameStream> m_current;
    };

    CDravikPipe(platform::IpcPort& port, platform::ClockPort& clock, ClassHandle& classHandle)
        : m_port(port), m_clock(clock), m_classHandle(classHandle) {}
    // Closes the instance this channel opened, so that the companion sees
    // the end and the name does not run out of instances.
    ~CDravikPipe() override;

    static constexpr int kLoopbackMode = 0;
    static constexpr int kClientMode = 1;
    static constexpr int kServerMode = 2;

    bool Open(int mode, std::string name) override;
    // Always true: a companion that is gone or stalled loses the frames.
    bool Write(const std::uint8_t* data, int length) override;
    int Read(std::uint8_t* buffer, int length) override;

    // Any thread, also before Open has begun: a server Open returns false
    // at once instead of waiting for a client.
    void CancelOpen() { m_wait.Cancel(); }

private:
    std::unique_ptr<platform::PipeServer> Serve(const std::string& name);

    platform::IpcPort& m_port;
    platform::ClockPort& m_clock;
    ClassHandle& m_classHandle;
    ServerWait m_wait;
    std::shared_ptr<FrameStream> m_own;
    // Mode 0 keeps its server end, or the client end would break.
    std::unique_ptr<platform::PipeServer> m_loopServer;
};

} // namespace driver
