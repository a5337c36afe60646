#include "driver/ipc/dravik_socket.h"

#include <algorithm>
#include <limits>

namespace driver {

CDravikSocket::CDravikSocket(platform::IpcPort& ipc, platform::ClockPort& clock, int port)
    : m_ipc(ipc), m_clock(clock), m_port(static_cast<std::uint16_t>(port)) {
    m_started = m_ipc.StartSockets();
}

CDravikSocket::~CDravikSocket() {
    m_connected.reset();
    m_listening.reset();
    m_datagram.reset();
    if (m_started) {
        m_ipc.StopSockets();
    }
}

bool CDravikSocket::Open(int mode, std::string address) {
    if (mode == kListenMode) {
        m_streamMode = true;
        m_listening = m_ipc.CreateSocket(platform::SocketType::Stream);
        if (m_listening && !(m_listening->Bind("0.0.0.0", m_port) && m_listening->Listen(5))) {
            m_listening.reset();
        }
    } else if (mode == kConnectMode) {
        m_streamMode = true;
        if (auto socket = m_ipc.CreateSocket(platform::SocketType::Stream)) {
            socket->Tune(kSendBuffer, 0, true);
            // A refused connection is not reported: its writes are lost.
            socket->Connect(address, m_port);
            const std::lock_guard lock(m_connectedMutex);
            m_connected = std::make_shared<FrameStream>(std::move(socket), m_clock);
        }
    }
    return true;
}

bool CDravikSocket::OpenDatagram(const std::string& address) {
    m_streamMode = false;
    m_destination = address;
    m_datagram = m_ipc.CreateSocket(platform::SocketType::Datagram);
    return m_datagram != nullptr;
}

std::shared_ptr<FrameStream> CDravikSocket::Connected(std::uint32_t acceptWaitMs) {
    {
        const std::lock_guard lock(m_connectedMutex);
        if (m_connected || !m_listening) {
            return m_connected;
        }
    }
    // Not under the lock: a reader waiting for its peer must not hold up the writer.
    auto peer = m_listening->Accept(acceptWaitMs);
    const std::lock_guard lock(m_connectedMutex);
    if (!m_connected && peer) {
        m_connected = std::make_shared<FrameStream>(std::move(peer), m_clock);
    }
    return m_connected;
}

bool CDravikSocket::Write(const std::uint8_t* data, int length) {
    if (length <= 0) {
        return true;
    }
    const std::span<const std::uint8_t> bytes(data, static_cast<std::size_t>(length));
    if (!m_streamMode) {
        if (m_datagram) {
            m_datagram->SendTo(bytes, m_destination, m_port);
        }
    } else if (const auto stream = Connected(0)) {
        stream->Write(bytes);
    }
    return true;
}

int CDravikSocket::Read(std::uint8_t* buffer, int length) {
    if (length <= 0) {
        return 0;
    }
    const std::span<std::uint8_t> bytes(buffer, static_cast<std::size_t>(length));
    if (!m_streamMode) {
        return m_datagram ? std::max(m_datagram->ReceiveFrom(bytes, m_peer), 0) : 0;
    }
    const auto stream = Connected(std::numeric_limits<std::uint32_t>::max());
    return stream ? stream->Read(bytes) : 0;
}

} // namespace driver
