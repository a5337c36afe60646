#pragma once

#include "platform/ipc_port.h"

#include <memory>
#include <mutex>
#include <string>

namespace driver {

// The pipe parameters of both of the driver's servers. The out buffer lets
// a companion read in bursts without holding up the reader thread: 512
// frames, some 0.7 s at the board's full rate (with none, every write waits
// until the peer has read it).
inline constexpr platform::PipeServerSettings kDriverPipeSettings{
    .maxInstances = 50, .outBufferSize = 4096, .inBufferSize = 4096, .defaultTimeoutMs = 1000};

// A pipe server's wait for its client, which another thread may end: a
// second request, a stop request or the driver's exit must not wait for a
// companion that never comes.
class ServerWait {
public:
    // Blocks until a client has opened the instance (one that came first
    // counts); false when the wait failed or was cancelled.
    bool Wait(platform::PipeServer& server);
    // Any thread, also before the wait has begun: it ends, and so does
    // every later one.
    void Cancel();

private:
    std::mutex m_mutex;
    bool m_cancelled = false;
    platform::PipeServer* m_waiting = nullptr;
};

} // namespace driver
