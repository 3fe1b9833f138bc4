#include <gtest/gtest.h>
#include <winsock2.h>

#include <functional>
#include <memory>
#include <numeric>
#include <vector>

#include "link/ipv4_address.h"
#include "link/net_link.h"
#include "link/win32/send_batch.h"
#include "link/win32/win32_net_backend.h"
#include "message_pump.h"
#include "recording_net_events.h"

// The network link on Winsock over the loopback interface, driven by the
// thread's message loop as in the window.
namespace trelvo {
namespace {

using testing::PumpUntil;
using testing::RunPosted;
using Bytes = std::vector<std::uint8_t>;

// The recorder's end: a listener on 127.0.0.1 and the connection it accepts,
// both non-blocking so the test thread only ever waits in its message loop.
class LoopbackPeer {
public:
    LoopbackPeer() {
        sockaddr_in address = Ipv4SocketAddress(htonl(INADDR_LOOPBACK), 0);
        int length = sizeof address;
        u_long nonBlocking = 1;
        ioctlsocket(listener_, FIONBIO, &nonBlocking);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(listener_, 1) == 0 &&
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~LoopbackPeer() {
        closesocket(connection_);
        closesocket(listener_);
    }
    bool Accepted() {
        if (connection_ == INVALID_SOCKET) {
            connection_ = accept(listener_, nullptr, nullptr);
        }
        return connection_ != INVALID_SOCKET;
    }
    void Send(const Bytes& bytes) {
        send(connection_, reinterpret_cast<const char*>(bytes.data()),
             static_cast<int>(bytes.size()), 0);
    }
    // Reads what has arrived into `received`.
    void Read() {
        char chunk[65536];
        int got = 0;
        while ((got = recv(connection_, chunk, sizeof chunk, 0)) > 0) {
            received.insert(received.end(), chunk, chunk + got);
        }
    }

    std::uint16_t port = 0;
    Bytes received;

private:
    SOCKET listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    SOCKET connection_ = INVALID_SOCKET;
};

class Win32NetLinkTest : public ::testing::Test {
protected:
    void Connect() {
        link.SetEvents(&events);
        ASSERT_TRUE(link.Create());
        ASSERT_TRUE(link.Connect("127.0.0.1", peer.port));
        ASSERT_TRUE(PumpUntil([&] { return peer.Accepted() && !events.connects.empty(); }, 10000));
        ASSERT_EQ(events.connects, std::vector<int>{0});
    }

    // The recorder reads again, and gets `sent` whole and in order.
    void ExpectPeerGetsAll(const Bytes& sent) {
        ASSERT_TRUE(PumpUntil(
            [&] {
                peer.Read();
                return peer.received.size() >= sent.size();
            },
            20000));
        EXPECT_EQ(peer.received, sent);
        EXPECT_EQ(link.PendingBytes(), 0);
    }

    LoopbackPeer peer;
    RecordingEvents events;
    NetLink link;
};

TEST_F(Win32NetLinkTest, BytesTheSocketCannotTakeWaitAndLeaveInOrder) {
    Connect();
    Bytes block(std::size_t{16} * 1024 * 1024);
    std::iota(block.begin(), block.end(), 0);
    link.SendBuffered(block.data(), static_cast<int>(block.size()));
    // More than the two ends' buffers hold while the recorder does not read.
    EXPECT_GT(link.PendingBytes(), 0);
    const std::uint8_t last[] = {0xAB, 0xCD};
    link.SendBuffered(last, 2);
    block.insert(block.end(), last, last + 2);
    ExpectPeerGetsAll(block);
}

TEST_F(Win32NetLinkTest, AnIncompleteReplyIsOfferedOnceUntilMoreArrives) {
    Connect();
    int taken = 0;
    events.whenReadable = [&] {
        std::uint8_t header[18];
        if (link.Receive(header, 18, NetLinkInterface::ReceiveMode::Peek) == 18) {
            taken += link.Receive(header, 18, NetLinkInterface::ReceiveMode::Take) == 18;
        }
    };
    peer.Send(Bytes(10, 1));
    ASSERT_TRUE(PumpUntil([&] { return !events.receives.empty(); }, 10000));
    RunPosted();
    EXPECT_EQ(events.receives.size(), 1U);
    peer.Send(Bytes(8, 2));
    ASSERT_TRUE(PumpUntil([&] { return taken == 1; }, 10000));
    EXPECT_EQ(events.receives, (std::vector<int>{0, 0}));
}

// A tick's sends to many recorders, as a fleet makes them: they leave when
// the round ends, from helper threads too, each link's in order, also the
// bytes of a link closed before the end.
TEST(Win32SendBatch, ARoundsSendsReachEveryPeerWholeAndInOrder) {
    constexpr int kLinks = 40;
    std::vector<std::unique_ptr<LoopbackPeer>> peers;
    std::vector<std::unique_ptr<NetLink>> links;
    std::vector<RecordingEvents> events(kLinks);
    std::vector<Bytes> expected(kLinks);
    for (int i = 0; i < kLinks; ++i) {
        peers.push_back(std::make_unique<LoopbackPeer>());
        links.push_back(std::make_unique<NetLink>());
        links[i]->SetEvents(&events[i]);
        ASSERT_TRUE(links[i]->Create() && links[i]->Connect("127.0.0.1", peers[i]->port));
    }
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (int i = 0; i < kLinks; ++i) {
                if (!peers[i]->Accepted() || events[i].connects.empty()) {
                    return false;
                }
            }
            return true;
        },
        10000));
    SendBatch batch;
    {
        const SendBatch::Round round(batch);
        for (int i = 0; i < kLinks; ++i) {
            for (int piece = 0; piece < 3; ++piece) {
                Bytes bytes(std::size_t{1000} * (piece + 1),
                            static_cast<std::uint8_t>(i * 3 + piece));
                links[i]->SendBuffered(bytes.data(), static_cast<int>(bytes.size()));
                expected[i].insert(expected[i].end(), bytes.begin(), bytes.end());
            }
            EXPECT_EQ(links[i]->PendingBytes(), 0);
        }
        links[0]->Close();
    }
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (int i = 0; i < kLinks; ++i) {
                peers[i]->Read();
                if (peers[i]->received.size() < expected[i].size()) {
                    return false;
                }
            }
            return true;
        },
        20000));
    for (int i = 0; i < kLinks; ++i) {
        EXPECT_EQ(peers[i]->received, expected[i]) << "link " << i;
    }
}

// A recorder that does not read: what the round could not send waits in
// the backend, which takes nothing more until it has gone, and then the
// link's own waiting bytes follow in order.
TEST_F(Win32NetLinkTest, WhatARoundCouldNotSendGoesFirstWhenRoomComes) {
    Connect();
    Bytes block(std::size_t{16} * 1024 * 1024);
    std::iota(block.begin(), block.end(), 0);
    SendBatch batch;
    {
        const SendBatch::Round round(batch);
        link.SendBuffered(block.data(), static_cast<int>(block.size()));
    }
    const std::uint8_t last[] = {0xAB, 0xCD};
    link.SendBuffered(last, 2);
    EXPECT_EQ(link.PendingBytes(), 2);
    block.insert(block.end(), last, last + 2);
    ExpectPeerGetsAll(block);
}

TEST(Win32NetLinkConnect, ARefusalEndsTheAttemptThroughOnConnect) {
    std::uint16_t closedPort = 0;
    {
        const LoopbackPeer gone;
        closedPort = gone.port;
    }
    RecordingEvents events;
    NetLink link;
    link.SetEvents(&events);
    ASSERT_TRUE(link.Create());
    ASSERT_TRUE(link.Connect("127.0.0.1", closedPort));
    ASSERT_TRUE(PumpUntil([&] { return !events.connects.empty(); }, 10000));
    EXPECT_EQ(events.connects, std::vector<int>{WSAECONNREFUSED});
}

// Lookups that hang until released, at most one thread at a time.
TEST(Win32NetLinkLookup, ALateAnswerIsDroppedAndLookupsAreBounded) {
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Win32NameLookups lookups(
        [release](const std::string&) {
            WaitForSingleObject(release, 20000);
            return std::optional<std::uint32_t>(htonl(INADDR_LOOPBACK));
        },
        1);
    RecordingEvents aborted;
    RecordingEvents refused;
    NetLink first(std::make_unique<Win32NetBackend>(lookups));
    NetLink second(std::make_unique<Win32NetBackend>(lookups));
    first.SetEvents(&aborted);
    second.SetEvents(&refused);
    ASSERT_TRUE(first.Create() && first.Connect("recorder", 30000));
    // The bound is reached: the answer is "no address", and never from inside Connect.
    ASSERT_TRUE(second.Create() && second.Connect("recorder", 30000));
    EXPECT_TRUE(refused.connects.empty());
    ASSERT_TRUE(PumpUntil([&] { return !refused.connects.empty(); }, 10000));
    EXPECT_EQ(refused.connects, std::vector<int>{Win32Socket::kNoAddress});
    first.Close();
    SetEvent(release);
    // The thread posts its answer before it counts itself gone, which posts
    // nothing: the timer's ticks wake the loop to look.
    ASSERT_TRUE(PumpUntil([&] { return lookups.threadCount() == 0; }, 10000, [] {}));
    RunPosted();
    EXPECT_TRUE(aborted.connects.empty());
    CloseHandle(release);
}

}  // namespace
}  // namespace trelvo
