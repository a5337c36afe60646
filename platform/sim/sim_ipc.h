#pragma once

#include "platform/ipc_port.h"
#include "platform/trace_port.h"

#include <memory>
#include <string>

namespace platform {

// In-memory named pipes and loopback sockets on real time, for tests that
// play the other end through the same port: a client that opens a pipe
// before the server waits, a peer that stops reading (a pipe holds its out
// buffer size, a socket connection the two buffer sizes), nobody listening.
// Failures go to the trace with the error codes Windows gives.
class SimIpcPort final : public IpcPort {
public:
    explicit SimIpcPort(TracePort& trace);
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
