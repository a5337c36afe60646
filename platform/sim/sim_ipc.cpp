#include "platform/sim/sim_ipc.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace platform {
namespace {

// Windows' codes, so that traces read the same on both backends.
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kPipeBusy = 231;
constexpr std::uint32_t kNoData = 232;
constexpr std::uint32_t kWaitTimeout = 258;
constexpr std::uint32_t kPipeListening = 536;
constexpr std::uint32_t kWouldBlock = 10035;
constexpr std::uint32_t kAddressInUse = 10048;
constexpr std::uint32_t kAddressNotAvailable = 10049;
constexpr std::uint32_t kConnectionReset = 10054;
constexpr std::uint32_t kNotConnected = 10057;
constexpr std::uint32_t kRefused = 10061;
constexpr std::uint32_t kDefaultSocketBuffer = 8192;
constexpr std::uint32_t kLoopback = 0x7F000001;

std::optional<std::uint32_t> ParseIPv4(const std::string& text) {
    std::uint32_t out = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            value = value * 10 + static_cast<std::uint32_t>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255 || (part < 3 && (at >= text.size() || text[at++] != '.'))) {
            return std::nullopt;
        }
        out = out << 8 | value;
    }
    return at == text.size() ? std::optional(out) : std::nullopt;
}

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Bytes one side wrote and the other has not read yet.
struct Direction {
    explicit Direction(std::uint32_t capacity) : ring(capacity) {}

    std::size_t Free() const { return ring.size() - size; }
    bool HasData() const { return size > 0 || !pending.empty(); }

    void Put(std::span<const std::uint8_t>& bytes) {
        while (!bytes.empty() && Free() > 0) {
            ring[(head + size) % ring.size()] = bytes.front();
            ++size;
            bytes = bytes.subspan(1);
        }
    }

    // From the ring first, then straight from a write still going in.
    std::size_t Take(std::span<std::uint8_t> out) {
        std::size_t count = 0;
        for (; count < out.size() && size > 0; ++count) {
            out[count] = ring[head];
            head = (head + 1) % ring.size();
            --size;
        }
        for (; count < out.size() && !pending.empty(); ++count) {
            out[count] = pending.front();
            pending = pending.subspan(1);
        }
        Put(pending);
        return count;
    }

    std::vector<std::uint8_t> ring;
    std::size_t head = 0;
    std::size_t size = 0;
    // A pipe write that did not fit; it stays the writer's until it is in.
    std::span<const std::uint8_t> pending;
    bool readerGone = false;
    bool writerGone = false;
};

// A connection; side s writes into way[s] and reads from way[1 - s].
struct Link {
    Link(std::uint32_t toClient, std::uint32_t toServer)
        : way{Direction(toClient), Direction(toServer)} {}
    std::array<Direction, 2> way;
};

struct PipeInstance {
    std::string name;
    PipeServerSettings settings;
    std::shared_ptr<Link> link;
    bool cancelled = false;
};

struct Listener {
    std::uint16_t port = 0;
    std::size_t backlog = 0;
    std::uint32_t receiveBuffer = 0;
    std::deque<std::shared_ptr<Link>> waiting;
};

struct Datagram {
    SocketAddress from;
    std::vector<std::uint8_t> bytes;
};

} // namespace

struct SimIpcPort::Shared {
    Shared(TracePort& t, ClockPort& c) : trace(t), clock(c) {}

    std::uint16_t FreePort() {
        while (boundPorts.contains(nextEphemeral) || datagramBoxes.contains(nextEphemeral)) {
            ++nextEphemeral;
        }
        return nextEphemeral++;
    }

    TracePort& trace;
    ClockPort& clock;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<PipeInstance*> instances;
    std::set<std::uint16_t> boundPorts;
    std::map<std::uint16_t, Listener*> listeners;
    std::map<std::uint16_t, std::deque<Datagram>*> datagramBoxes;
    std::uint16_t nextEphemeral = 49152;
    int socketStarts = 0;
};

namespace {

using Shared = SimIpcPort::Shared;
using Lock = std::unique_lock<std::mutex>;

constexpr std::uint32_t kForever = 0xFFFFFFFF;

bool WaitUntil(Shared& shared, Lock& lock, std::uint32_t milliseconds, auto ready) {
    if (ready()) {
        return true;
    }
    if (milliseconds == kForever) {
        shared.changed.wait(lock, ready);
        return true;
    }
    lock.unlock();
    shared.clock.Sleep(milliseconds);
    lock.lock();
    return ready();
}

// What pipe ends and stream sockets share: one side of a link.
class LinkSide {
public:
    LinkSide(Shared& shared, std::string subject)
        : m_shared(shared), m_subject(std::move(subject)) {}

    void Attach(std::shared_ptr<Link> link, int side) {
        m_link = std::move(link);
        m_side = side;
    }

    // Lock held.
    void Detach() {
        if (m_link) {
            Direction& out = m_link->way[static_cast<std::size_t>(m_side)];
            out.writerGone = true;
            out.pending = {};
            m_link->way[static_cast<std::size_t>(1 - m_side)].readerGone = true;
            m_link.reset();
            m_shared.changed.notify_all();
        }
    }

    // serverLink: where a server end finds the link its client makes.
    int Receive(std::span<std::uint8_t> buffer, const std::shared_ptr<Link>* serverLink) {
        Lock lock(m_shared.mutex);
        m_shared.changed.wait(lock, [&] {
            if (m_receiveCancelled) {
                return true;
            }
            if (!m_link && serverLink != nullptr && *serverLink) {
                Attach(*serverLink, 0);
            }
            if (!m_link) {
                return false;
            }
            const Direction& in = In();
            return in.HasData() || in.writerGone;
        });
        if (m_receiveCancelled) {
            return 0;
        }
        const std::size_t count = In().Take(buffer);
        m_shared.changed.notify_all();
        return static_cast<int>(count);
    }

    void CancelReceive() {
        const std::lock_guard lock(m_shared.mutex);
        m_receiveCancelled = true;
        m_shared.changed.notify_all();
    }

    void Trouble(std::string_view call, std::uint32_t error) {
        const std::uint32_t now = m_shared.clock.TickCount();
        if (!m_troubleReported || now - m_troubleReportedAt >= kTroubleQuietMs) {
            m_troubleReported = true;
            m_troubleReportedAt = now;
            m_shared.trace.Failure(call, error, m_subject);
        }
    }

protected:
    Direction& Out() { return m_link->way[static_cast<std::size_t>(m_side)]; }
    Direction& In() { return m_link->way[static_cast<std::size_t>(1 - m_side)]; }

    Shared& m_shared;
    std::string m_subject;
    std::shared_ptr<Link> m_link;
    int m_side = 0;
    bool m_receiveCancelled = false;
    bool m_troubleReported = false;
    std::uint32_t m_troubleReportedAt = 0;
};

class SimPipeEnd final : public PipeServer, private LinkSide {
public:
    // A server end owns its instance; a client end has none.
    SimPipeEnd(std::shared_ptr<Shared> shared, std::string name,
               std::unique_ptr<PipeInstance> instance)
        : LinkSide(*shared, std::move(name)), m_keep(std::move(shared)),
          m_instance(std::move(instance)) {}

    ~SimPipeEnd() override {
        const std::lock_guard lock(m_shared.mutex);
        Detach();
        if (m_instance) {
            std::erase(m_shared.instances, m_instance.get());
            if (m_instance->link) {
                // The client's view of the link, if this end never looked at it.
                m_instance->link->way[0].writerGone = true;
                m_instance->link->way[0].pending = {};
                m_instance->link->way[1].readerGone = true;
            }
            m_shared.changed.notify_all();
        }
    }
    SimPipeEnd(const SimPipeEnd&) = delete;
    SimPipeEnd& operator=(const SimPipeEnd&) = delete;

    using LinkSide::Attach;

    bool WaitForClient() override {
        Lock lock(m_shared.mutex);
        m_shared.changed.wait(lock, [&] { return m_instance->link || m_instance->cancelled; });
        return !m_instance->cancelled;
    }

    void CancelWait() override {
        const std::lock_guard lock(m_shared.mutex);
        m_instance->cancelled = true;
        m_shared.changed.notify_all();
    }

    int TrySend(std::span<const std::uint8_t> bytes) override {
        const std::lock_guard lock(m_shared.mutex);
        if (!Connected()) {
            Trouble("WriteFile", kPipeListening);
            return kFailed;
        }
        Direction& out = Out();
        if (out.readerGone) {
            Trouble("WriteFile", kNoData);
            return kFailed;
        }
        if (!out.pending.empty()) {
            return 0;
        }
        const std::size_t count = std::min(bytes.size(), m_writeBuffer.size());
        std::memcpy(m_writeBuffer.data(), bytes.data(), count);
        std::span<const std::uint8_t> rest(m_writeBuffer.data(), count);
        out.Put(rest);
        out.pending = rest;
        m_shared.changed.notify_all();
        return static_cast<int>(count);
    }

    bool WaitWritable(std::uint32_t milliseconds) override {
        Lock lock(m_shared.mutex);
        if (!Connected() || WaitUntil(m_shared, lock, milliseconds,
                                      [&] { return Out().pending.empty() || Out().readerGone; })) {
            return true;
        }
        Trouble("WriteFile", kWaitTimeout);
        return false;
    }

    int Receive(std::span<std::uint8_t> buffer) override {
        return LinkSide::Receive(buffer, m_instance ? &m_instance->link : nullptr);
    }

    void CancelReceive() override { LinkSide::CancelReceive(); }

private:
    // Lock held. A server end takes up the link its client made.
    bool Connected() {
        if (!m_link && m_instance && m_instance->link) {
            Attach(m_instance->link, 0);
        }
        return m_link != nullptr;
    }

    std::shared_ptr<Shared> m_keep;
    std::unique_ptr<PipeInstance> m_instance;
    std::array<std::uint8_t, 256> m_writeBuffer{};
};

class SimSocket final : public Socket, private LinkSide {
public:
    SimSocket(std::shared_ptr<Shared> shared, SocketType type)
        : LinkSide(*shared, ""), m_keep(std::move(shared)), m_type(type) {}

    ~SimSocket() override {
        const std::lock_guard lock(m_shared.mutex);
        Detach();
        if (m_listener) {
            m_shared.listeners.erase(m_listener->port);
            for (const auto& link : m_listener->waiting) {
                link->way[0].writerGone = true;
                link->way[1].readerGone = true;
            }
        }
        if (m_boundPort != 0) {
            m_shared.boundPorts.erase(m_boundPort);
            m_shared.datagramBoxes.erase(m_boundPort);
        }
        m_shared.changed.notify_all();
    }
    SimSocket(const SimSocket&) = delete;
    SimSocket& operator=(const SimSocket&) = delete;

    bool Bind(const std::string& address, std::uint16_t port) override {
        const std::lock_guard lock(m_shared.mutex);
        m_subject = address + ":" + std::to_string(port);
        if (!ParseIPv4(address)) {
            m_shared.trace.Failure("bind", kAddressNotAvailable, m_subject);
            return false;
        }
        return BindLocked(port);
    }

    bool Listen(int backlog) override {
        const std::lock_guard lock(m_shared.mutex);
        if (m_type != SocketType::Stream || m_boundPort == 0) {
            m_shared.trace.Failure("listen", 10022, m_subject); // WSAEINVAL
            return false;
        }
        m_listener = std::make_unique<Listener>();
        m_listener->port = m_boundPort;
        m_listener->backlog = static_cast<std::size_t>(std::max(backlog, 1));
        m_listener->receiveBuffer = m_receiveBuffer;
        m_shared.listeners[m_boundPort] = m_listener.get();
        return true;
    }

    std::unique_ptr<Socket> Accept(std::uint32_t milliseconds) override {
        Lock lock(m_shared.mutex);
        if (!m_listener || !WaitUntil(m_shared, lock, milliseconds,
                                      [&] { return !m_listener->waiting.empty(); })) {
            return nullptr;
        }
        auto accepted = std::make_unique<SimSocket>(m_keep, SocketType::Stream);
        accepted->m_subject = m_subject;
        accepted->Attach(m_listener->waiting.front(), 0);
        m_listener->waiting.pop_front();
        return accepted;
    }

    bool Connect(const std::string& address, std::uint16_t port) override {
        const std::lock_guard lock(m_shared.mutex);
        m_subject = address + ":" + std::to_string(port);
        const auto found = m_shared.listeners.find(port);
        if (!ParseIPv4(address) || found == m_shared.listeners.end() ||
            found->second->waiting.size() >= found->second->backlog) {
            m_shared.trace.Failure("connect", kRefused, m_subject);
            return false;
        }
        auto link = std::make_shared<Link>(
            2 * kDefaultSocketBuffer, Buffer(m_sendBuffer) + Buffer(found->second->receiveBuffer));
        found->second->waiting.push_back(link);
        Attach(std::move(link), 1);
        m_shared.changed.notify_all();
        return true;
    }

    void Tune(std::uint32_t sendBuffer, std::uint32_t receiveBuffer, bool) override {
        const std::lock_guard lock(m_shared.mutex);
        m_sendBuffer = sendBuffer != 0 ? sendBuffer : m_sendBuffer;
        m_receiveBuffer = receiveBuffer != 0 ? receiveBuffer : m_receiveBuffer;
    }

    int TrySend(std::span<const std::uint8_t> bytes) override {
        const std::lock_guard lock(m_shared.mutex);
        if (!m_link) {
            Trouble("send", kNotConnected);
            return kFailed;
        }
        Direction& out = Out();
        if (out.readerGone) {
            Trouble("send", kConnectionReset);
            return kFailed;
        }
        const std::size_t before = bytes.size();
        out.Put(bytes);
        const std::size_t sent = before - bytes.size();
        if (sent > 0) {
            m_shared.changed.notify_all();
        }
        return static_cast<int>(sent);
    }

    bool WaitWritable(std::uint32_t milliseconds) override {
        Lock lock(m_shared.mutex);
        if (!m_link || WaitUntil(m_shared, lock, milliseconds,
                                 [&] { return Out().Free() > 0 || Out().readerGone; })) {
            return true;
        }
        Trouble("send", kWouldBlock);
        return false;
    }

    int Receive(std::span<std::uint8_t> buffer) override {
        return LinkSide::Receive(buffer, nullptr);
    }

    void CancelReceive() override { LinkSide::CancelReceive(); }

    int SendTo(std::span<const std::uint8_t> bytes, const std::string& address,
               std::uint16_t port) override {
        const std::lock_guard lock(m_shared.mutex);
        if (m_type != SocketType::Datagram || !ParseIPv4(address) ||
            (m_boundPort == 0 && !BindLocked(0))) {
            Trouble("sendto", kAddressNotAvailable);
            return kFailed;
        }
        const auto box = m_shared.datagramBoxes.find(port);
        if (box != m_shared.datagramBoxes.end()) {
            box->second->push_back({{kLoopback, m_boundPort}, {bytes.begin(), bytes.end()}});
            m_shared.changed.notify_all();
        }
        return static_cast<int>(bytes.size());
    }

    int ReceiveFrom(std::span<std::uint8_t> buffer, SocketAddress& from) override {
        Lock lock(m_shared.mutex);
        if (!m_datagrams) {
            m_shared.trace.Failure("recvfrom", 10022, m_subject); // WSAEINVAL: not bound
            return kFailed;
        }
        m_shared.changed.wait(lock, [&] { return !m_datagrams->empty(); });
        Datagram datagram = std::move(m_datagrams->front());
        m_datagrams->pop_front();
        const std::size_t count = std::min(buffer.size(), datagram.bytes.size());
        std::memcpy(buffer.data(), datagram.bytes.data(), count);
        from = datagram.from;
        return static_cast<int>(count);
    }

private:
    static std::uint32_t Buffer(std::uint32_t size) {
        return size != 0 ? size : kDefaultSocketBuffer;
    }

    // Lock held; port 0 picks a free one.
    bool BindLocked(std::uint16_t port) {
        port = port != 0 ? port : m_shared.FreePort();
        const bool taken = m_type == SocketType::Stream ? m_shared.boundPorts.contains(port)
                                                        : m_shared.datagramBoxes.contains(port);
        if (taken || m_boundPort != 0) {
            m_shared.trace.Failure("bind", kAddressInUse, m_subject);
            return false;
        }
        m_boundPort = port;
        if (m_type == SocketType::Stream) {
            m_shared.boundPorts.insert(port);
        } else {
            m_datagrams = std::make_unique<std::deque<Datagram>>();
            m_shared.datagramBoxes[port] = m_datagrams.get();
        }
        return true;
    }

    std::shared_ptr<Shared> m_keep;
    SocketType m_type;
    std::uint16_t m_boundPort = 0;
    std::uint32_t m_sendBuffer = 0;
    std::uint32_t m_receiveBuffer = 0;
    std::unique_ptr<Listener> m_listener;
    std::unique_ptr<std::deque<Datagram>> m_datagrams;
};

bool IsPipeName(const std::string& name) {
    constexpr std::string_view kPrefix = "\\\\.\\pipe\\";
    return name.size() > kPrefix.size() &&
           SameName(name.substr(0, kPrefix.size()), std::string(kPrefix));
}

} // namespace

SimIpcPort::SimIpcPort(TracePort& trace, ClockPort& clock)
    : m_shared(std::make_shared<Shared>(trace, clock)) {}

SimIpcPort::~SimIpcPort() = default;

std::unique_ptr<PipeServer> SimIpcPort::CreatePipeServer(const std::string& name,
                                                         const PipeServerSettings& settings) {
    const std::lock_guard lock(m_shared->mutex);
    const auto open = std::count_if(m_shared->instances.begin(), m_shared->instances.end(),
                                    [&](const PipeInstance* i) { return SameName(i->name, name); });
    if (!IsPipeName(name) || open >= static_cast<std::ptrdiff_t>(settings.maxInstances)) {
        m_shared->trace.Failure("CreateNamedPipeA", IsPipeName(name) ? kPipeBusy : kInvalidName,
                                name);
        return nullptr;
    }
    auto instance = std::make_unique<PipeInstance>();
    instance->name = name;
    instance->settings = settings;
    m_shared->instances.push_back(instance.get());
    return std::make_unique<SimPipeEnd>(m_shared, name, std::move(instance));
}

std::unique_ptr<StreamEnd> SimIpcPort::OpenPipeClient(const std::string& name) {
    const std::lock_guard lock(m_shared->mutex);
    bool exists = false;
    for (PipeInstance* instance : m_shared->instances) {
        if (!SameName(instance->name, name)) {
            continue;
        }
        exists = true;
        if (!instance->link) {
            instance->link = std::make_shared<Link>(instance->settings.outBufferSize,
                                                    instance->settings.inBufferSize);
            auto client = std::make_unique<SimPipeEnd>(m_shared, name, nullptr);
            client->Attach(instance->link, 1);
            m_shared->changed.notify_all();
            return client;
        }
    }
    m_shared->trace.Failure("CreateFileA", exists ? kPipeBusy : kFileNotFound, name);
    return nullptr;
}

bool SimIpcPort::StartSockets() {
    const std::lock_guard lock(m_shared->mutex);
    ++m_shared->socketStarts;
    return true;
}

void SimIpcPort::StopSockets() {
    const std::lock_guard lock(m_shared->mutex);
    --m_shared->socketStarts;
}

std::unique_ptr<Socket> SimIpcPort::CreateSocket(SocketType type) {
    return std::make_unique<SimSocket>(m_shared, type);
}

int SimIpcPort::PipeInstances(const std::string& name) const {
    const std::lock_guard lock(m_shared->mutex);
    return static_cast<int>(
        std::count_if(m_shared->instances.begin(), m_shared->instances.end(),
                      [&](const PipeInstance* i) { return SameName(i->name, name); }));
}

int SimIpcPort::SocketStartsOutstanding() const {
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->socketStarts;
}

} // namespace platform
