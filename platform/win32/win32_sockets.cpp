#include <windows.h>
#include <winsock.h>

#include "platform/win32/win32_ipc.h"

#include <atomic>
#include <string>

namespace platform {
namespace {

sockaddr_in AddressOf(const std::string& address, std::uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = ::htons(port);
    out.sin_addr.s_addr = ::inet_addr(address.c_str());
    return out;
}

std::string Subject(const std::string& address, std::uint16_t port) {
    return address + ":" + std::to_string(port);
}

constexpr std::uint32_t kCancelSliceMs = 50;

timeval Timeout(std::uint32_t milliseconds) {
    timeval out{};
    out.tv_sec = static_cast<long>(milliseconds / 1000);
    out.tv_usec = static_cast<long>(milliseconds % 1000 * 1000);
    return out;
}

class Win32Socket final : public Socket {
public:
    Win32Socket(SOCKET socket, TracePort& trace, std::string subject)
        : m_socket(socket), m_trace(trace), m_subject(std::move(subject)) {}
    ~Win32Socket() override { ::closesocket(m_socket); }
    Win32Socket(const Win32Socket&) = delete;
    Win32Socket& operator=(const Win32Socket&) = delete;

    bool Bind(const std::string& address, std::uint16_t port) override {
        m_subject = Subject(address, port);
        const sockaddr_in local = AddressOf(address, port);
        return Check(::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local),
                     "bind");
    }

    bool Listen(int backlog) override { return Check(::listen(m_socket, backlog), "listen"); }

    std::unique_ptr<Socket> Accept(std::uint32_t milliseconds) override {
        if (!WaitFor(false, milliseconds)) {
            return nullptr;
        }
        const SOCKET accepted = ::accept(m_socket, nullptr, nullptr);
        if (accepted == INVALID_SOCKET) {
            m_trace.Failure("accept", static_cast<std::uint32_t>(::WSAGetLastError()), m_subject);
            return nullptr;
        }
        auto out = std::make_unique<Win32Socket>(accepted, m_trace, m_subject);
        if (!out->MakeNonBlocking()) {
            return nullptr;
        }
        return out;
    }

    bool Connect(const std::string& address, std::uint16_t port) override {
        m_subject = Subject(address, port);
        const sockaddr_in remote = AddressOf(address, port);
        return Check(::connect(m_socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote),
                     "connect") &&
               MakeNonBlocking();
    }

    void Tune(std::uint32_t sendBuffer, std::uint32_t receiveBuffer, bool noDelay) override {
        auto set = [this](int level, int option, int value) {
            Check(::setsockopt(m_socket, level, option, reinterpret_cast<const char*>(&value),
                               sizeof value),
                  "setsockopt");
        };
        if (sendBuffer != 0) {
            set(SOL_SOCKET, SO_SNDBUF, static_cast<int>(sendBuffer));
        }
        if (receiveBuffer != 0) {
            set(SOL_SOCKET, SO_RCVBUF, static_cast<int>(receiveBuffer));
        }
        set(IPPROTO_TCP, TCP_NODELAY, noDelay ? 1 : 0);
    }

    int TrySend(std::span<const std::uint8_t> bytes) override {
        const int sent = ::send(m_socket, reinterpret_cast<const char*>(bytes.data()),
                                static_cast<int>(bytes.size()), 0);
        if (sent != SOCKET_ERROR) {
            return sent;
        }
        const int error = ::WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            return 0;
        }
        Trouble("send", error);
        return kFailed;
    }

    bool WaitWritable(std::uint32_t milliseconds) override {
        if (WaitFor(true, milliseconds)) {
            return true;
        }
        Trouble("send", WSAEWOULDBLOCK);
        return false;
    }

    int Receive(std::span<std::uint8_t> buffer) override {
        while (!m_receiveCancelled) {
            const int count = ::recv(m_socket, reinterpret_cast<char*>(buffer.data()),
                                     static_cast<int>(buffer.size()), 0);
            if (count != SOCKET_ERROR) {
                return count;
            }
            const int error = ::WSAGetLastError();
            if (error != WSAEWOULDBLOCK) {
                m_trace.Failure("recv", static_cast<std::uint32_t>(error), m_subject);
                return 0;
            }
            // Winsock 1.1 has no event that could wake select: a cancel is
            // seen within one slice.
            if (Select(false, kCancelSliceMs) == SOCKET_ERROR) {
                return 0;
            }
        }
        return 0;
    }

    void CancelReceive() override { m_receiveCancelled = true; }

    int SendTo(std::span<const std::uint8_t> bytes, const std::string& address,
               std::uint16_t port) override {
        const sockaddr_in remote = AddressOf(address, port);
        const int sent = ::sendto(m_socket, reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<int>(bytes.size()), 0,
                                  reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
        if (sent == SOCKET_ERROR) {
            Trouble("sendto", ::WSAGetLastError());
            return kFailed;
        }
        return sent;
    }

    int ReceiveFrom(std::span<std::uint8_t> buffer, SocketAddress& from) override {
        sockaddr_in peer{};
        int length = sizeof peer;
        const int count = ::recvfrom(m_socket, reinterpret_cast<char*>(buffer.data()),
                                     static_cast<int>(buffer.size()), 0,
                                     reinterpret_cast<sockaddr*>(&peer), &length);
        if (count == SOCKET_ERROR) {
            m_trace.Failure("recvfrom", static_cast<std::uint32_t>(::WSAGetLastError()), m_subject);
            return kFailed;
        }
        from.address = ::ntohl(peer.sin_addr.s_addr);
        from.port = ::ntohs(peer.sin_port);
        return count;
    }

private:
    bool Check(int result, std::string_view call) {
        if (result == SOCKET_ERROR) {
            m_trace.Failure(call, static_cast<std::uint32_t>(::WSAGetLastError()), m_subject);
            return false;
        }
        return true;
    }

    // A stream socket that the writer never waits on: it sends what fits.
    bool MakeNonBlocking() {
        u_long on = 1;
        return Check(::ioctlsocket(m_socket, FIONBIO, &on), "ioctlsocket");
    }

    bool WaitFor(bool writable, std::uint32_t milliseconds) {
        return Select(writable, milliseconds) > 0;
    }

    // The count of ready sockets: 0 when the time passed, SOCKET_ERROR on failure.
    int Select(bool writable, std::uint32_t milliseconds) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_socket, &set);
        timeval timeout = Timeout(milliseconds);
        const int ready = ::select(0, writable ? nullptr : &set, writable ? &set : nullptr, nullptr,
                                   milliseconds == INFINITE ? nullptr : &timeout);
        if (ready == SOCKET_ERROR) {
            Trouble("select", ::WSAGetLastError());
        }
        return ready;
    }

    // A peer that stays away, or reads a little now and then, must not flood the trace.
    void Trouble(std::string_view call, int error) {
        const DWORD now = ::GetTickCount();
        if (!m_troubleReported || now - m_troubleReportedAt >= kTroubleQuietMs) {
            m_troubleReported = true;
            m_troubleReportedAt = now;
            m_trace.Failure(call, static_cast<std::uint32_t>(error), m_subject);
        }
    }

    SOCKET m_socket;
    TracePort& m_trace;
    std::string m_subject;
    std::atomic<bool> m_receiveCancelled{false};
    bool m_troubleReported = false;
    DWORD m_troubleReportedAt = 0;
};

} // namespace

bool Win32IpcPort::StartSockets() {
    WSADATA data{};
    const int result = ::WSAStartup(MAKEWORD(1, 1), &data);
    if (result != 0) {
        m_trace.Failure("WSAStartup", static_cast<std::uint32_t>(result), "1.1");
        return false;
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        m_trace.Failure("WSAStartup", WSAVERNOTSUPPORTED, "1.1");
        return false;
    }
    return true;
}

void Win32IpcPort::StopSockets() {
    ::WSACleanup();
}

std::unique_ptr<Socket> Win32IpcPort::CreateSocket(SocketType type) {
    const SOCKET handle =
        ::socket(AF_INET, type == SocketType::Stream ? SOCK_STREAM : SOCK_DGRAM, 0);
    if (handle == INVALID_SOCKET) {
        m_trace.Failure("socket", static_cast<std::uint32_t>(::WSAGetLastError()), "");
        return nullptr;
    }
    return std::make_unique<Win32Socket>(handle, m_trace, "");
}

} // namespace platform
