#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// One end of a byte stream to another program: a named-pipe end or a
// connected TCP socket. Sending never blocks; a writer that must not stall
// sends what goes, then waits a bounded time for room.
class StreamEnd {
public:
    static constexpr int kFailed = -1;

    virtual ~StreamEnd() = default;

    // Hands over what goes without waiting: the count taken (0 when there is
    // no room now), kFailed when the connection is broken. A pipe takes all
    // of the bytes or none; a socket may take part of them.
    virtual int TrySend(std::span<const std::uint8_t> bytes) = 0;
    // True when TrySend has room again within the time.
    virtual bool WaitWritable(std::uint32_t milliseconds) = 0;
    // Blocks until bytes arrive: their count, 0 at the end of the stream or
    // on failure.
    virtual int Receive(std::span<std::uint8_t> buffer) = 0;
    // From any thread, before or during a Receive: that Receive returns 0 at
    // once, and so does every later one. A reader whose peer keeps its end
    // open can be stopped only so.
    virtual void CancelReceive() = 0;
};

struct PipeServerSettings {
    std::uint32_t maxInstances = 50;
    std::uint32_t outBufferSize = 0;
    std::uint32_t inBufferSize = 0;
    std::uint32_t defaultTimeoutMs = 1000;
};

// A named-pipe server instance: duplex, byte stream, byte reading.
class PipeServer : public StreamEnd {
public:
    // Blocks until a client has opened this instance; one that came before
    // the wait counts. False when the wait failed or was cancelled.
    virtual bool WaitForClient() = 0;
    // From any thread, before or during the wait: the wait returns false at
    // once, and so does every later one.
    virtual void CancelWait() = 0;
};

enum class SocketType { Stream, Datagram };

// An IPv4 address and port in host byte order.
struct SocketAddress {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    friend bool operator==(const SocketAddress&, const SocketAddress&) = default;
};

// An IPv4 socket. Connected and accepted stream sockets do not block on
// sending.
class Socket : public StreamEnd {
public:
    // Address in dotted form; port in host byte order.
    virtual bool Bind(const std::string& address, std::uint16_t port) = 0;
    virtual bool Listen(int backlog) = 0;
    // A connection that a peer made, waiting up to the time; none otherwise.
    virtual std::unique_ptr<Socket> Accept(std::uint32_t milliseconds) = 0;
    virtual bool Connect(const std::string& address, std::uint16_t port) = 0;
    // Bytes the system may hold for this socket in each direction (0 keeps
    // its default), and whether small writes go out at once.
    virtual void Tune(std::uint32_t sendBuffer, std::uint32_t receiveBuffer, bool noDelay) = 0;
    // Datagrams; the count, or kFailed.
    virtual int SendTo(std::span<const std::uint8_t> bytes, const std::string& address,
                       std::uint16_t port) = 0;
    virtual int ReceiveFrom(std::span<std::uint8_t> buffer, SocketAddress& from) = 0;
};

// A stream end that keeps failing or stalling, as one whose peer stays away
// or reads a little now and then, traces at most one line in this time.
inline constexpr std::uint32_t kTroubleQuietMs = 10000;

// Named pipes and Winsock 1.1 sockets. Every object it makes closes itself
// when destroyed; an outstanding wait or write is ended first.
class IpcPort {
public:
    virtual ~IpcPort() = default;

    // None when the instance cannot be made.
    virtual std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name,
                                                         const PipeServerSettings& settings) = 0;
    // None when no instance of the name waits for a client.
    virtual std::unique_ptr<StreamEnd> OpenPipeClient(const std::string& name) = 0;

    // Asks for version 1.1; false when it is not granted. Each start that
    // succeeded is matched by one stop.
    virtual bool StartSockets() = 0;
    virtual void StopSockets() = 0;
    // None when the socket cannot be made.
    virtual std::unique_ptr<Socket> CreateSocket(SocketType type) = 0;
};

} // namespace platform
