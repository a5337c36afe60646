#pragma once

#include "driver/ipc/dravik_ipc_base.h"
#include "driver/ipc/frame_stream.h"
#include "driver/ipc/server_wait.h"
#include "platform/clock_port.h"
#include "platform/ipc_port.h"

#include <memory>
#include <string>

namespace driver {

// The calibration program's pipe: a server instance of its own, apart from
// the companion's class-wide handle, to which the reader writes raw frames.
// Open takes the server mode only.
class OrientationPipe : public CDravikIPCBase {
public:
    OrientationPipe(platform::IpcPort& port, platform::ClockPort& clock)
        : m_port(port), m_clock(clock) {}

    static constexpr int kServerMode = 2;

    // Create, then WaitForClient.
    bool Open(int mode, std::string name) override;
    // Always true: a calibration program that is gone or stalled loses the frames.
    bool Write(const std::uint8_t* data, int length) override;
    int Read(std::uint8_t* buffer, int length) override;

    // The two halves of Open, for a caller that must know at once whether
    // the instance exists and can wait for the client elsewhere.
    bool Create(const std::string& name);
    bool WaitForClient();

    // Any thread, also before Open has begun: Open returns false at once.
    void CancelOpen() { m_wait.Cancel(); }

private:
    platform::IpcPort& m_port;
    platform::ClockPort& m_clock;
    ServerWait m_wait;
    std::unique_ptr<platform::PipeServer> m_server;
    std::unique_ptr<FrameStream> m_stream;
};

} // namespace driver
