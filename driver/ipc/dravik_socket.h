#pragma once

#include "driver/ipc/dravik_ipc_base.h"
#include "driver/ipc/frame_stream.h"
#include "platform/clock_port.h"
#include "platform/ipc_port.h"

#include <memory>
#include <mutex>
#include <string>

namespace driver {

// The TCP channel to the companion. Open: connect mode connects to the address
// and the port given at construction, listen mode listens on the port and takes
// the first peer that connects; both always report true, and writes to a
// peer that is not there are lost. Datagram mode, after OpenDatagram,
// sends to the address and port and receives from anyone.
class CDravikSocket : public CDravikIPCBase {
public:
    // A companion that stalls gets no more than this much of old frames
    // queued for it, some 0.7 s of them.
    static constexpr std::uint32_t kSendBuffer = 4096;

    CDravikSocket(platform::IpcPort& ipc, platform::ClockPort& clock, int port);
    ~CDravikSocket() override;

    static constexpr int kListenMode = 1;
    static constexpr int kConnectMode = 2;

    bool Open(int mode, std::string address) override;
    // Always true: a companion that is gone or stalled loses the frames.
    bool Write(const std::uint8_t* data, int length) override;
    // Bytes received, 0 when none or on failure.
    int Read(std::uint8_t* buffer, int length) override;

    bool OpenDatagram(const std::string& address);
    // Who sent the datagram read last.
    platform::SocketAddress PeerAddress() const { return m_peer; }

private:
    std::shared_ptr<FrameStream> Connected(std::uint32_t acceptWaitMs);

    platform::IpcPort& m_ipc;
    platform::ClockPort& m_clock;
    std::uint16_t m_port;
    bool m_started = false;
    std::unique_ptr<platform::Socket> m_listening;
    std::mutex m_connectedMutex;
    std::shared_ptr<FrameStream> m_connected;
    std::unique_ptr<platform::Socket> m_datagram;
    platform::SocketAddress m_peer;
    std::string m_destination;
    bool m_streamMode = false;
};

} // namespace driver
