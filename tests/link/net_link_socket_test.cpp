#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "event_loop.h"
#include "fake_name_resolver.h"
#include "link/ipv4_address.h"
#include "link/net_link.h"
#include "link/posix/posix_net_backend.h"
#include "link/posix/posix_socket_layer.h"
#include "recording_net_events.h"

// The network link on real sockets over the loopback interface, driven by
// the Qt event loop as in the tool.
namespace trelvo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::RunIdleRounds;
using testing::WaitFor;

// Counts the calls that each readiness notification makes, so a notifier
// that fires over and over shows.
class CountingSocketLayer : public PosixSocketLayer {
public:
    int Available(int socket) override {
        ++availableCalls;
        return PosixSocketLayer::Available(socket);
    }
    int Send(int socket, const std::uint8_t* bytes, int count) override {
        ++sendCalls;
        return PosixSocketLayer::Send(socket, bytes, count);
    }
    int availableCalls = 0;
    int sendCalls = 0;
};

// The recorder's end: a listening socket on 127.0.0.1 and the connection it accepts.
class LoopbackPeer {
public:
    LoopbackPeer() {
        sockaddr_in address = Ipv4SocketAddress(htonl(INADDR_LOOPBACK), 0);
        socklen_t length = sizeof address;
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // A fixed, small receive window, so that a large block cannot
        // vanish into the two kernels' buffers in one send.
        const int window = 256 * 1024;
        ::setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(listener_, 4) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~LoopbackPeer() {
        CloseConnection();
        ::close(listener_);
    }
    void Accept() {
        CloseConnection();
        connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK);
    }
    void Write(const Bytes& bytes) {
        ASSERT_EQ(::send(connection_, bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Takes what has arrived, without waiting.
    void ReadAvailable() {
        std::uint8_t chunk[65536];
        ssize_t count = 0;
        while ((count = ::recv(connection_, chunk, sizeof chunk, 0)) > 0) {
            received.insert(received.end(), chunk, chunk + count);
        }
    }
    // Closes with a reset (RST) instead of an orderly close.
    void ResetConnection() {
        const linger abort{1, 0};
        ::setsockopt(connection_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        CloseConnection();
    }
    void CloseConnection() {
        if (connection_ != -1) {
            ::close(connection_);
            connection_ = -1;
        }
    }

    // 0 when the peer could not listen.
    std::uint16_t port = 0;
    Bytes received;

private:
    int listener_ = -1;
    int connection_ = -1;
};

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};

// More than the sender's kernel buffers at their largest (4 MiB) and the receive window.
constexpr std::size_t kLargeBlock = std::size_t{8} * 1024 * 1024;

class NetLinkSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(peer.port, 0);
        link.SetEvents(&events);
    }

    void Connect() {
        ASSERT_TRUE(link.Create());
        ASSERT_TRUE(link.Connect("127.0.0.1", peer.port));
        ASSERT_TRUE(WaitFor([&] { return !events.connects.empty(); }));
        ASSERT_EQ(events.connects, std::vector<int>{0});
        peer.Accept();
    }

    // Like the job: takes one 18-byte reply per notification, and only once
    // all of it is there; counts the bytes taken into `taken`.
    void TakeWholeReplies(int& taken) {
        events.whenReadable = [this, &taken] {
            std::uint8_t reply[18];
            if (link.Receive(reply, 18, NetLinkInterface::ReceiveMode::Peek) == 18) {
                taken += link.Receive(reply, 18, NetLinkInterface::ReceiveMode::Take);
            }
        };
    }

    LoopbackPeer peer;
    RecordingEvents events;
    CountingSocketLayer layer;
    NetLink link{std::make_unique<PosixNetBackend>(layer)};
};

TEST_F(NetLinkSocketTest, RefusedConnectEndsInOnConnectWithItsError) {
    const std::uint16_t closedPort = LoopbackPeer().port;
    ASSERT_NE(closedPort, 0);
    ASSERT_TRUE(link.Create());
    // On loopback a refused connect never ends at once: it is under way
    // until the notification brings the refusal.
    ASSERT_TRUE(link.Connect("127.0.0.1", closedPort));
    ASSERT_TRUE(WaitFor([&] { return !events.connects.empty(); }));
    RunIdleRounds();
    EXPECT_EQ(events.connects, std::vector<int>{ECONNREFUSED});
}

TEST_F(NetLinkSocketTest, ANameConnectsOnceTheResolverAnswers) {
    testing::FakeNameResolver resolver;
    NetLink named(std::make_unique<PosixNetBackend>(layer, resolver));
    named.SetEvents(&events);
    ASSERT_TRUE(named.Create());
    ASSERT_TRUE(named.Connect("recorder", peer.port));
    RunIdleRounds();
    EXPECT_TRUE(events.connects.empty());
    ASSERT_TRUE(resolver.Reply(htonl(INADDR_LOOPBACK)));
    ASSERT_TRUE(WaitFor([&] { return !events.connects.empty(); }));
    EXPECT_EQ(events.connects, std::vector<int>{0});
    peer.Accept();
    named.SendBuffered(kHello.data(), static_cast<int>(kHello.size()));
    EXPECT_TRUE(WaitFor([&] {
        peer.ReadAvailable();
        return peer.received == kHello;
    }));
}

TEST_F(NetLinkSocketTest, NotifiesWhileWholeRepliesWaitAndAgainOnlyWhenMoreArrive) {
    Connect();
    int taken = 0;
    TakeWholeReplies(taken);
    peer.Write(Bytes(36, 1));
    ASSERT_TRUE(WaitFor([&] { return taken == 36; }));

    peer.Write(Bytes(10, 2));
    ASSERT_TRUE(WaitFor([&] { return events.receives.size() == 3; }));
    RunIdleRounds();
    const int checks = layer.availableCalls;
    RunIdleRounds();
    EXPECT_EQ(layer.availableCalls, checks);
    EXPECT_EQ(events.receives.size(), 3u);

    peer.Write(Bytes(8, 3));
    ASSERT_TRUE(WaitFor([&] { return taken == 54; }));
}

TEST_F(NetLinkSocketTest, RecorderClosingItsEndIsReportedOnceAndNotWatchedFurther) {
    Connect();
    peer.CloseConnection();
    ASSERT_TRUE(WaitFor([&] { return !events.closes.empty(); }));
    RunIdleRounds();
    EXPECT_EQ(layer.availableCalls, 1);
    EXPECT_TRUE(events.receives.empty());
    EXPECT_EQ(events.closes, std::vector<int>{0});
}

TEST_F(NetLinkSocketTest, RecorderResettingTheConnectionIsReportedOnceWithItsError) {
    Connect();
    peer.ResetConnection();
    ASSERT_TRUE(WaitFor([&] { return !events.closes.empty(); }));
    RunIdleRounds();
    EXPECT_TRUE(events.receives.empty());
    EXPECT_EQ(events.closes, std::vector<int>{ECONNRESET});
}

// A recorder that answers and hangs up at once: the job takes the whole
// answer, one reply per notification, before it hears of the close; half a
// reply left over does not hold the close back.
TEST_F(NetLinkSocketTest, EveryWholeReplyBeforeAHangUpIsDeliveredFirst) {
    Connect();
    int taken = 0;
    TakeWholeReplies(taken);
    peer.Write(Bytes(18 * 2 + 5, 1));
    peer.CloseConnection();
    ASSERT_TRUE(WaitFor([&] { return !events.closes.empty(); }));
    RunIdleRounds();
    EXPECT_EQ(taken, 36);
    EXPECT_EQ(events.closes, std::vector<int>{0});
    EXPECT_EQ(events.order.back(), "close");
    EXPECT_GE(events.order.size(), 3u);
}

TEST_F(NetLinkSocketTest, LargeBlockDrainsAsThePeerReads) {
    Connect();
    Bytes block(kLargeBlock);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7);
    }
    link.SendBuffered(block.data(), static_cast<int>(block.size()));
    // Only what the socket did not take at once waits in the send block.
    const int waiting = link.PendingBytes();
    EXPECT_GT(waiting, 0);
    EXPECT_EQ(link.sendCapacity(), waiting);
    ASSERT_TRUE(WaitFor([&] {
        peer.ReadAvailable();
        return peer.received.size() == block.size();
    }));
    EXPECT_EQ(peer.received, block);
    EXPECT_EQ(link.PendingBytes(), 0);
    EXPECT_EQ(link.sendCapacity(), waiting);
}

volatile std::sig_atomic_t brokenPipes = 0;

TEST_F(NetLinkSocketTest, SendingToAClosedPeerRaisesNoSignalAndStopsTrying) {
    struct sigaction counting {
    }, previous{};
    counting.sa_handler = [](int) { brokenPipes = brokenPipes + 1; };
    ::sigaction(SIGPIPE, &counting, &previous);
    Connect();
    peer.CloseConnection();
    const std::uint8_t byte = 0;
    EXPECT_TRUE(WaitFor([&] {
        link.SendBuffered(&byte, 1);
        return link.PendingBytes() > 1;
    }));
    RunIdleRounds();
    const int sendCalls = layer.sendCalls;
    RunIdleRounds();
    EXPECT_EQ(layer.sendCalls, sendCalls);
    ::sigaction(SIGPIPE, &previous, nullptr);
    EXPECT_EQ(brokenPipes, 0);
}

TEST_F(NetLinkSocketTest, NothingArrivesAfterCloseAndAFreshStartWorksAtOnce) {
    Connect();
    // The job ends from inside a notification and starts again right away.
    bool restart = true;
    bool recreated = false;
    events.whenReadable = [&] {
        if (restart) {
            restart = false;
            link.Close();
            recreated = link.Create();
        }
    };
    peer.Write(Bytes(10, 1));
    ASSERT_TRUE(WaitFor([&] { return !events.receives.empty(); }));
    ASSERT_TRUE(recreated);
    RunIdleRounds();
    EXPECT_EQ(events.receives.size(), 1u);

    ASSERT_TRUE(link.Connect("127.0.0.1", peer.port));
    ASSERT_TRUE(WaitFor([&] { return events.connects.size() == 2; }));
    peer.Accept();
    peer.Write(Bytes(5, 2));
    EXPECT_TRUE(WaitFor([&] { return events.receives.size() == 2; }));

    // A connect that ends after Close is not reported.
    link.Close();
    ASSERT_TRUE(link.Create());
    ASSERT_TRUE(link.Connect("127.0.0.1", peer.port));
    link.Close();
    RunIdleRounds();
    EXPECT_EQ(events.connects, (std::vector<int>{0, 0}));
}

}  // namespace
}  // namespace trelvo
