#pragma once

#include "platform/ipc_port.h"
#include "platform/trace_port.h"

namespace platform {

// Named pipes with overlapped I/O, so that a wait for a client can be
// cancelled and a write to a peer that stopped reading can be given up
// on; Winsock 1.1 sockets that do not block on sending. Failing calls go
// to the trace, those of the per-frame path once until a write succeeds
// again.
class Win32IpcPort final : public IpcPort {
public:
    explicit Win32IpcPort(TracePort& trace) : m_trace(trace) {}

    std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name,
                                                 const PipeServerSettings& settings) override;
    std::unique_ptr<StreamEnd> OpenPipeClient(const std::string& name) override;

    bool StartSockets() override;
    void StopSockets() override;
    std::unique_ptr<Socket> CreateSocket(SocketType type) override;

private:
    TracePort& m_trace;
};

} // namespace platform
