#pragma once

#include "platform/clock_port.h"
#include "platform/ipc_port.h"
#include "platform/trace_port.h"

#include <memory>
#include <string>

namespace platform {

// In-memory named pipes and loopback sockets, for tests that play the other
// end through the same port: a client that opens a pipe before the server
// waits, a peer that stops reading (a pipe holds its out buffer size, a
// socket connection the two buffer sizes), nobody listening. Failures go to
// the trace with the error codes Windows gives.
//
// Timed waits run on the clock given, virtual in tests: one that is not over
// at once sleeps its whole time through the clock, which moves a virtual
// clock on, and looks once more. Nothing on the test's own thread can end
// it sooner, and a peer on another thread that is not ready by then counts
// as stalled. A wait without end (0xFFFFFFFF) blocks until another thread
// ends it, as the real one does.
class SimIpcPort final : public IpcPort {
public:
    SimIpcPort(TracePort& trace, ClockPort& clock);
    ~SimIpcPort() override;
    SimIpcPort(const SimIpcPort&) = delete;
    SimIpcPort& operator=(const SimIpcPort&) = delete;

    std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name,
                                                 const PipeServerSettings& settings) override;
    std::unique_ptr<StreamEnd> OpenPipeClient(const std::string& name) override;

    bool StartSockets() override;
    void StopSockets() override;
    std::unique_ptr<Socket> CreateSocket(SocketType type) override;

    // --- the test's side ---
    // Server instances of the name that are open now.
    int PipeInstances(const std::string& name) const;
    // Socket starts not yet matched by a stop.
    int SocketStartsOutstanding() const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace platform
