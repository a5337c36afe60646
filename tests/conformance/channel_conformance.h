#pragma once

// The channels' rules as one table, run against any pipes-and-sockets port:
// natively against the simulation on virtual time, under Wine against the
// real functions and clock. Every test plays the companion's end through the
// same port; times are read from the clock the channels wait on.

#include "driver/ipc/dravik_pipe.h"
#include "driver/ipc/dravik_socket.h"
#include "driver/ipc/orientation_pipe.h"
#include "platform/sim/sim_trace.h"
#include "tests/support/channel_peer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace ipc_test {

using namespace std::chrono_literals;
using driver::CDravikIPCBase;
using driver::CDravikPipe;
using driver::CDravikSocket;
using driver::FrameStream;
using driver::OrientationPipe;
using testing_support::MillisecondsOf;
using testing_support::NumberedFrame;
using testing_support::ReadNumbersUntil;
using testing_support::ReadyWithin;
using testing_support::WriteNumbered;

constexpr std::uint32_t kMarker = 0x7FFFFFFF;

// Channels: a trace, a clock and a port over them, as members of those names.
template <typename Channels> class ChannelConformance : public ::testing::Test {
protected:
    // The companion's sockets need Winsock as much as the channel's.
    void SetUp() override { ASSERT_TRUE(port.StartSockets()); }
    void TearDown() override { port.StopSockets(); }

    std::string PipeName(std::string_view what) const {
        return std::string("\\\\.\\pipe\\DravikTest.") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "." +
               std::string(what);
    }
    // Ports no other test uses, so that no closing connection lingers on one.
    static std::uint16_t TcpPort() {
        static std::atomic<std::uint16_t> next{47310};
        return next++;
    }
    std::size_t TraceLines(std::string_view call) const {
        std::size_t count = 0;
        for (const auto& line : trace.Lines()) {
            count += line.call == call ? 1 : 0;
        }
        return count;
    }
    // A server Open that runs until a client comes.
    std::future<bool> OpenLater(CDravikIPCBase& channel, int mode, const std::string& name) {
        return std::async(std::launch::async,
                          [&channel, mode, name] { return channel.Open(mode, name); });
    }
    // A client for a server that is about to wait.
    std::unique_ptr<platform::StreamEnd> ClientOf(const std::string& name) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (auto client = port.OpenPipeClient(name)) {
                return client;
            }
            std::this_thread::sleep_for(10ms);
        }
        return nullptr;
    }
    std::unique_ptr<platform::Socket> Listener(std::uint16_t tcpPort,
                                               std::uint32_t receiveBuffer = 0) {
        auto listener = port.CreateSocket(platform::SocketType::Stream);
        listener->Tune(0, receiveBuffer, false);
        EXPECT_TRUE(listener->Bind("127.0.0.1", tcpPort) && listener->Listen(5));
        return listener;
    }

    Channels channels;
    platform::SimTrace& trace = channels.trace;
    platform::ClockPort& clock = channels.clock;
    decltype(Channels::port)& port = channels.port;
};

TYPED_TEST_SUITE_P(ChannelConformance);

enum class Kind { Pipe, Orientation };

TYPED_TEST_P(ChannelConformance, ServerOpenReturnsOnceAClientHasOpenedThePipe) {
    struct Row {
        const char* name;
        Kind kind;
        int mode;
    };
    for (const Row row :
         {Row{"pipe, client after the wait", Kind::Pipe, CDravikPipe::kServerMode},
          Row{"orientation, client after the wait", Kind::Orientation,
              OrientationPipe::kServerMode},
          Row{"pipe mode 0, its own client first", Kind::Pipe, CDravikPipe::kLoopbackMode}}) {
        SCOPED_TRACE(row.name);
        CDravikPipe::ClassHandle classHandle;
        std::unique_ptr<CDravikIPCBase> channel;
        if (row.kind == Kind::Pipe) {
            channel = std::make_unique<CDravikPipe>(this->port, this->clock, classHandle);
        } else {
            channel = std::make_unique<OrientationPipe>(this->port, this->clock);
        }
        const std::string name =
            this->PipeName(row.name[0] == 'o' ? "o" : std::to_string(row.mode));
        auto opened = this->OpenLater(*channel, row.mode, name);
        std::unique_ptr<platform::StreamEnd> client;
        if (row.mode != CDravikPipe::kLoopbackMode) {
            EXPECT_FALSE(ReadyWithin(opened, 150ms)) << "returned before any client came";
            client = this->ClientOf(name);
            ASSERT_TRUE(client);
        }
        ASSERT_TRUE(ReadyWithin(opened, 5s));
        ASSERT_TRUE(opened.get());
        if (client) {
            EXPECT_TRUE(WriteNumbered(*channel, 7));
            EXPECT_EQ(ReadNumbersUntil(*client, 7).numbers, std::vector<std::uint32_t>{7});
        }
    }
    // A client that came before the wait is connected, and that is no failure.
    const std::string name = this->PipeName("first");
    auto server = this->port.CreatePipeServer(name, driver::kDriverPipeSettings);
    ASSERT_TRUE(server);
    auto client = this->port.OpenPipeClient(name);
    ASSERT_TRUE(client);
    EXPECT_TRUE(server->WaitForClient());
    EXPECT_TRUE(this->trace.Lines().empty()) << this->trace.Lines().front().call;
}

TYPED_TEST_P(ChannelConformance, ACancelledWaitEndsOpenAtOnceAndLeavesNoInstance) {
    for (const Kind kind : {Kind::Pipe, Kind::Orientation}) {
        for (const bool beforeOpen : {true, false}) {
            SCOPED_TRACE(std::string(kind == Kind::Pipe ? "pipe" : "orientation") +
                         (beforeOpen ? ", cancelled before Open" : ", cancelled while waiting"));
            CDravikPipe::ClassHandle classHandle;
            auto pipe = std::make_unique<CDravikPipe>(this->port, this->clock, classHandle);
            auto orientation = std::make_unique<OrientationPipe>(this->port, this->clock);
            CDravikIPCBase& channel =
                kind == Kind::Pipe ? static_cast<CDravikIPCBase&>(*pipe) : *orientation;
            auto cancel = [&] {
                kind == Kind::Pipe ? pipe->CancelOpen() : orientation->CancelOpen();
            };
            const std::string name =
                this->PipeName(std::to_string(static_cast<int>(kind)) + (beforeOpen ? "b" : "w"));
            if (beforeOpen) {
                cancel();
            }
            auto opened = this->OpenLater(channel, 2, name);
            if (!beforeOpen) {
                EXPECT_FALSE(ReadyWithin(opened, 100ms));
                cancel();
            }
            ASSERT_TRUE(ReadyWithin(opened, 1s)) << "Open still waits";
            EXPECT_FALSE(opened.get());
            EXPECT_FALSE(this->port.OpenPipeClient(name)) << "the instance is still there";
        }
    }
    EXPECT_EQ(this->TraceLines("ConnectNamedPipe"), 0U) << "a cancelled wait is no failure";
}

TYPED_TEST_P(ChannelConformance, APipeChannelAfterADeletedOneServesANewInstance) {
    CDravikPipe::ClassHandle classHandle;
    const std::string name = this->PipeName("dual");
    std::unique_ptr<platform::StreamEnd> clients[2];
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto channel = std::make_unique<CDravikPipe>(this->port, this->clock, classHandle);
        auto opened = this->OpenLater(*channel, 2, name);
        clients[round] = this->ClientOf(name);
        ASSERT_TRUE(clients[round]);
        ASSERT_TRUE(ReadyWithin(opened, 5s) && opened.get());
        WriteNumbered(*channel, static_cast<std::uint32_t>(round));
        EXPECT_EQ(ReadNumbersUntil(*clients[round], static_cast<std::uint32_t>(round)).numbers,
                  std::vector<std::uint32_t>{static_cast<std::uint32_t>(round)});
    }
    // The deleted channel's companion sees its pipe end.
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(clients[0]->Receive(buffer), 0);
}

TYPED_TEST_P(ChannelConformance, SocketForwardingReportsTrueWithOrWithoutAListener) {
    for (const bool listening : {true, false}) {
        SCOPED_TRACE(listening ? "a companion listens" : "nobody listens");
        const std::uint16_t tcpPort = this->TcpPort();
        auto listener = listening ? this->Listener(tcpPort) : nullptr;
        CDravikSocket channel(this->port, this->clock, tcpPort);
        EXPECT_TRUE(channel.Open(CDravikSocket::kConnectMode, "127.0.0.1"));
        auto peer = listening ? listener->Accept(2000) : nullptr;
        EXPECT_EQ(peer != nullptr, listening);
        bool allTrue = true;
        const double ms = MillisecondsOf(this->clock, [&] {
            for (std::uint32_t n = 0; n <= 200; ++n) {
                allTrue = WriteNumbered(channel, n == 200 ? kMarker : n) && allTrue;
            }
        });
        EXPECT_TRUE(allTrue);
        EXPECT_LT(ms, 1000.0) << "writes to nobody must not wait";
        if (peer) {
            const auto read = ReadNumbersUntil(*peer, kMarker);
            ASSERT_TRUE(read.numbers && !read.cutAtEnd);
            EXPECT_EQ(read.numbers->size(), 201U);
        } else {
            EXPECT_EQ(this->TraceLines("connect"), 1U);
            EXPECT_LE(this->trace.Lines().size(), 2U) << "one failure per write floods the trace";
        }
    }
}

TYPED_TEST_P(ChannelConformance, AStalledPeerCostsOneBoundedWaitAndTheStreamStaysFramed) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "socket");
        CDravikPipe::ClassHandle classHandle;
        std::unique_ptr<CDravikIPCBase> channel;
        std::unique_ptr<platform::StreamEnd> peer;
        std::unique_ptr<platform::Socket> listener;
        if (pipe) {
            channel = std::make_unique<CDravikPipe>(this->port, this->clock, classHandle);
            auto opened = this->OpenLater(*channel, 2, this->PipeName("stall"));
            peer = this->ClientOf(this->PipeName("stall"));
            ASSERT_TRUE(ReadyWithin(opened, 5s) && opened.get());
        } else {
            const std::uint16_t tcpPort = this->TcpPort();
            listener = this->Listener(tcpPort, 1024);
            channel = std::make_unique<CDravikSocket>(this->port, this->clock, tcpPort);
            channel->Open(CDravikSocket::kConnectMode, "127.0.0.1");
            peer = listener->Accept(2000);
        }
        ASSERT_TRUE(peer);
        const std::size_t linesBefore = this->trace.Lines().size();

        // The peer does not read: sooner or later a write has to give up.
        std::uint32_t next = 0;
        double stalledMs = 0;
        while (next < 400000 && stalledMs < FrameStream::kStallWaitMs / 2.0) {
            stalledMs = MillisecondsOf(this->clock, [&] { WriteNumbered(*channel, next++); });
        }
        ASSERT_GE(stalledMs, FrameStream::kStallWaitMs / 2.0) << "no write stalled in " << next;
        EXPECT_LT(stalledMs, FrameStream::kStallWaitMs + 250.0);
        const double laterMs = MillisecondsOf(this->clock, [&] {
            for (int i = 0; i < 100; ++i) {
                WriteNumbered(*channel, next++);
            }
        });
        // Each would wait the bound again if the stall were not remembered;
        // Wine's socket calls alone take a millisecond or so each.
        EXPECT_LT(laterMs, 100 * FrameStream::kStallWaitMs / 5.0)
            << "frames to a stalled peer wait again";
        EXPECT_LE(this->trace.Lines().size(), linesBefore + 1)
            << "a stall floods the trace: " << this->trace.Lines().back().call << " "
            << this->trace.Lines().back().error;

        // Reading again, it gets whole frames in order and every frame that follows.
        auto read =
            std::async(std::launch::async, [&] { return ReadNumbersUntil(*peer, kMarker); });
        std::this_thread::sleep_for(300ms);
        const std::uint32_t firstAfter = next;
        for (int i = 0; i < 50; ++i) {
            WriteNumbered(*channel, next++);
        }
        WriteNumbered(*channel, kMarker);
        if (!ReadyWithin(read, 10s)) {
            channel.reset(); // ends the stream, and with it the read
            read.wait();
            ADD_FAILURE() << "the frames after the stall did not all arrive";
            continue;
        }
        const auto got = read.get();
        ASSERT_TRUE(got.numbers && !got.cutAtEnd) << "not whole frames: " << got.bytes << " bytes";
        const auto& numbers = *got.numbers;
        EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()) &&
                    std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end());
        ASSERT_GE(numbers.size(), 51U);
        for (std::size_t i = 0; i < 50; ++i) {
            EXPECT_EQ(numbers[numbers.size() - 51 + i], firstAfter + i);
        }
    }
}

TYPED_TEST_P(ChannelConformance, ListeningAndDatagramSocketsCarryBytesBothWays) {
    const auto frame = NumberedFrame(3);
    std::array<std::uint8_t, 8> buffer{};
    {
        SCOPED_TRACE("listening");
        const std::uint16_t tcpPort = this->TcpPort();
        CDravikSocket channel(this->port, this->clock, tcpPort);
        ASSERT_TRUE(channel.Open(CDravikSocket::kListenMode, ""));
        auto peer = this->port.CreateSocket(platform::SocketType::Stream);
        ASSERT_TRUE(peer->Connect("127.0.0.1", tcpPort));
        EXPECT_EQ(peer->TrySend(frame), 8);
        EXPECT_EQ(channel.Read(buffer.data(), 8), 8);
        EXPECT_EQ(buffer, frame);
        EXPECT_TRUE(WriteNumbered(channel, 4));
        EXPECT_EQ(ReadNumbersUntil(*peer, 4).numbers, std::vector<std::uint32_t>{4});
    }
    {
        SCOPED_TRACE("datagram");
        const std::uint16_t udpPort = this->TcpPort();
        auto peer = this->port.CreateSocket(platform::SocketType::Datagram);
        ASSERT_TRUE(peer->Bind("127.0.0.1", udpPort));
        CDravikSocket channel(this->port, this->clock, udpPort);
        ASSERT_TRUE(channel.OpenDatagram("127.0.0.1"));
        EXPECT_TRUE(channel.Write(frame.data(), 8));
        platform::SocketAddress from;
        ASSERT_EQ(peer->ReceiveFrom(buffer, from), 8);
        EXPECT_EQ(buffer, frame);
        const auto reply = NumberedFrame(5);
        EXPECT_EQ(peer->SendTo(reply, "127.0.0.1", from.port), 8);
        EXPECT_EQ(channel.Read(buffer.data(), 8), 8);
        EXPECT_EQ(buffer, reply);
        EXPECT_EQ(channel.PeerAddress().port, udpPort);
    }
}

// A companion that reads part of the stream, stops mid-frame and closes its
// end: the writer loses the frames, never waits for them and floods nothing,
// and the next channel's companion gets whole frames from its first byte.
TYPED_TEST_P(ChannelConformance, APeerThatClosesMidStreamCostsTheWriterNothing) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "socket");
        CDravikPipe::ClassHandle classHandle;
        const std::uint16_t tcpPort = this->TcpPort();
        auto listener = pipe ? nullptr : this->Listener(tcpPort);
        const auto connect = [&](const std::string& name, std::unique_ptr<CDravikIPCBase>& channel,
                                 std::unique_ptr<platform::StreamEnd>& peer) {
            if (pipe) {
                channel = std::make_unique<CDravikPipe>(this->port, this->clock, classHandle);
                auto opened =
                    this->OpenLater(*channel, CDravikPipe::kServerMode, this->PipeName(name));
                peer = this->ClientOf(this->PipeName(name));
                ASSERT_TRUE(ReadyWithin(opened, 5s) && opened.get());
            } else {
                channel = std::make_unique<CDravikSocket>(this->port, this->clock, tcpPort);
                channel->Open(CDravikSocket::kConnectMode, "127.0.0.1");
                peer = listener->Accept(2000);
            }
            ASSERT_TRUE(peer);
        };
        std::unique_ptr<CDravikIPCBase> channel;
        std::unique_ptr<platform::StreamEnd> peer;
        connect("first", channel, peer);
        for (std::uint32_t n = 0; n < 10; ++n) {
            WriteNumbered(*channel, n);
        }
        std::array<std::uint8_t, 12> half{};
        std::size_t got = 0;
        while (got < half.size()) {
            const int count = peer->Receive(std::span(half).subspan(got));
            ASSERT_GT(count, 0);
            got += static_cast<std::size_t>(count);
        }
        peer.reset();
        const std::size_t linesBefore = this->trace.Lines().size();
        bool allTrue = true;
        const double ms = MillisecondsOf(this->clock, [&] {
            for (std::uint32_t n = 10; n < 2010; ++n) {
                allTrue = WriteNumbered(*channel, n) && allTrue;
            }
        });
        EXPECT_TRUE(allTrue) << "a write never reports the companion's end";
        EXPECT_LT(ms, 2000.0) << "writes to a closed end must not wait";
        EXPECT_LE(this->trace.Lines().size(), linesBefore + 3)
            << "one line per write floods the trace";

        connect("second", channel, peer);
        WriteNumbered(*channel, 1);
        WriteNumbered(*channel, kMarker);
        const auto read = ReadNumbersUntil(*peer, kMarker);
        ASSERT_TRUE(read.numbers) << "not whole frames: " << read.bytes << " bytes";
        EXPECT_EQ(*read.numbers, (std::vector<std::uint32_t>{1, kMarker}));
    }
}

TYPED_TEST_P(ChannelConformance, ACancelledReceiveEndsAtOnceThoughThePeerStaysOpen) {
    for (const bool pipe : {true, false}) {
        for (const bool beforeReceive : {true, false}) {
            SCOPED_TRACE(std::string(pipe ? "pipe client" : "socket") +
                         (beforeReceive ? ", cancelled before" : ", cancelled while waiting"));
            const std::string name = this->PipeName(beforeReceive ? "cb" : "cw");
            const std::uint16_t tcpPort = this->TcpPort();
            auto server =
                pipe ? this->port.CreatePipeServer(name, driver::kDriverPipeSettings) : nullptr;
            auto listener = pipe ? nullptr : this->Listener(tcpPort);
            std::unique_ptr<platform::StreamEnd> reader =
                pipe ? this->port.OpenPipeClient(name) : nullptr;
            std::unique_ptr<platform::StreamEnd> peer;
            if (!pipe) {
                auto socket = this->port.CreateSocket(platform::SocketType::Stream);
                ASSERT_TRUE(socket->Connect("127.0.0.1", tcpPort));
                reader = std::move(socket);
                peer = listener->Accept(2000);
            }
            ASSERT_TRUE(reader && (pipe ? server->WaitForClient() : peer != nullptr));
            if (beforeReceive) {
                reader->CancelReceive();
            }
            std::array<std::uint8_t, 8> buffer{};
            auto received = std::async(std::launch::async, [&] { return reader->Receive(buffer); });
            if (!beforeReceive) {
                EXPECT_FALSE(ReadyWithin(received, 100ms)) << "returned with nothing sent";
                reader->CancelReceive();
            }
            ASSERT_TRUE(ReadyWithin(received, 1s)) << "Receive still waits";
            EXPECT_EQ(received.get(), 0);
            EXPECT_EQ((pipe ? *server : *peer).TrySend(NumberedFrame(1)), 8);
            EXPECT_EQ(reader->Receive(buffer), 0) << "a later Receive takes bytes again";
        }
    }
    EXPECT_TRUE(this->trace.Lines().empty()) << this->trace.Lines().front().call;
}

REGISTER_TYPED_TEST_SUITE_P(ChannelConformance, ServerOpenReturnsOnceAClientHasOpenedThePipe,
                            ACancelledWaitEndsOpenAtOnceAndLeavesNoInstance,
                            APipeChannelAfterADeletedOneServesANewInstance,
                            SocketForwardingReportsTrueWithOrWithoutAListener,
                            AStalledPeerCostsOneBoundedWaitAndTheStreamStaysFramed,
                            ListeningAndDatagramSocketsCarryBytesBothWays,
                            APeerThatClosesMidStreamCostsTheWriterNothing,
                            ACancelledReceiveEndsAtOnceThoughThePeerStaysOpen);

} // namespace ipc_test
