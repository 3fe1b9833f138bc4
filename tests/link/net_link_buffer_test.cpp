#include <gtest/gtest.h>

#include <numeric>

#include "link/net_link.h"
#include "link/posix/posix_net_backend.h"
#include "scripted_socket_layer.h"

namespace trelvo {
namespace {

using testing::Bytes;
using testing::ScriptedSocketLayer;

// Distinct bytes for every hand-over, so order and moves show in what is sent.
Bytes Pattern(int count, std::uint8_t first) {
    Bytes bytes(static_cast<std::size_t>(count));
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

class NetLinkBufferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(link.Create()); }

    void HandOver(const Bytes& bytes) {
        link.SendBuffered(bytes.data(), static_cast<int>(bytes.size()));
        handed.insert(handed.end(), bytes.begin(), bytes.end());
    }

    ScriptedSocketLayer layer;
    NetLink link{std::make_unique<PosixNetBackend>(layer)};
    Bytes handed;
};

struct BufferCase {
    const char* name;
    std::vector<int> handOvers;
    std::deque<int> takes;
    int pending;
    int capacity;
};

class NetLinkBufferGrowthTest : public NetLinkBufferTest,
                                public ::testing::WithParamInterface<BufferCase> {};

TEST_P(NetLinkBufferGrowthTest, KeepsWhatTheSocketDidNotTake) {
    layer.takes = GetParam().takes;
    for (const int count : GetParam().handOvers) {
        HandOver(Pattern(count, static_cast<std::uint8_t>(handed.size())));
    }
    EXPECT_EQ(link.PendingBytes(), GetParam().pending);
    EXPECT_EQ(link.sendCapacity(), GetParam().capacity);
    // Whatever went out is the front of what was handed over, in order.
    EXPECT_EQ(layer.sent, Bytes(handed.begin(), handed.end() - GetParam().pending));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NetLinkBufferGrowthTest,
    ::testing::Values(BufferCase{"FitsAndGoes", {18}, {}, 0, 10000},
                      // What the socket takes at once never enters the block.
                      BufferCase{"TakenAtOnceKeepsTheBlock", {25000}, {}, 0, 10000},
                      BufferCase{"LargeRestGrowsExactly", {25000}, {2000}, 23000, 23000},
                      BufferCase{"StaysGrownAfterTheBytesLeft", {25000, 18}, {-1, 25018}, 0, 25018},
                      BufferCase{"PendingPlusNewGrows", {6000, 5000}, {-1, -1}, 11000, 11000},
                      BufferCase{"PendingPlusNewFitsExactly", {6000, 4000}, {-1, -1}, 10000, 10000},
                      BufferCase{"FailedSendKeepsAll", {100}, {-1}, 100, 10000},
                      BufferCase{"PartialSendKeepsRest", {100}, {30}, 70, 10000},
                      BufferCase{"NextHandOverTakesTheBacklog", {100, 50}, {30}, 0, 10000}),
    [](const auto& info) { return info.param.name; });

// A fleet has thousands of links, nearly all of whose sockets take every
// hand-over at once: those hold no block at all.
TEST_F(NetLinkBufferTest, ALinkWhoseSocketTakesEverythingHoldsNoBlock) {
    HandOver(Pattern(25000, 0));
    HandOver(Pattern(18, 1));
    EXPECT_EQ(layer.sent, handed);
    EXPECT_TRUE(link.sendBlock().empty());
}

// The block is replaced only when the bytes would not fit: filling it to the
// byte keeps it.
TEST_F(NetLinkBufferTest, AHandOverThatFillsTheBlockExactlyKeepsIt) {
    layer.takes = {-1, -1};
    HandOver(Pattern(6000, 0));
    const std::uint8_t* block = link.sendBlock().data();
    HandOver(Pattern(4000, 1));
    EXPECT_EQ(link.PendingBytes(), 10000);
    EXPECT_EQ(link.sendBlock().data(), block);
}

TEST_F(NetLinkBufferTest, NextOfferAfterPartialSendIsExactlyTheRest) {
    layer.takes = {30};
    HandOver(Pattern(100, 0));
    link.OnSend(0);
    ASSERT_EQ(layer.offers.size(), 2u);
    EXPECT_EQ(layer.offers[1], Pattern(70, 30));
    EXPECT_EQ(link.PendingBytes(), 0);
}

TEST_F(NetLinkBufferTest, OnSendOffersNothingWithoutPendingBytesOrWithAnError) {
    link.OnSend(0);
    EXPECT_TRUE(layer.offers.empty());
    layer.takes = {-1};
    HandOver(Pattern(10, 0));
    link.OnSend(104);
    EXPECT_EQ(layer.offers.size(), 1u);
    EXPECT_EQ(link.PendingBytes(), 10);
}

TEST_F(NetLinkBufferTest, CloseDropsPendingBytesForGood) {
    layer.takes = {-1};
    HandOver(Pattern(10, 0));
    link.Close();
    EXPECT_EQ(link.PendingBytes(), 0);
    ASSERT_TRUE(link.Create());
    link.OnSend(0);
    EXPECT_EQ(layer.offers.size(), 1u);
    EXPECT_TRUE(layer.sent.empty());
}

// The password goes through the send buffer: once bytes have left or been
// dropped, their old places hold zeros and only pending bytes remain.
TEST(NetLinkWipeTest, KeepsNoCopyOfSentOrDroppedBytes) {
    const struct {
        const char* name;
        std::deque<int> takes;
        int drains;
        bool close;
    } cases[] = {{"partial send", {30}, 0, false},
                 {"partial sends, then drained", {30, 50}, 2, false},
                 {"partial send, then closed", {30, -1}, 1, true}};
    for (const auto& c : cases) {
        ScriptedSocketLayer layer;
        layer.takes = c.takes;
        NetLink link(std::make_unique<PosixNetBackend>(layer));
        ASSERT_TRUE(link.Create());
        const Bytes secret(100, 0xA5);
        link.SendBuffered(secret.data(), 100);
        for (int drain = 0; drain < c.drains; ++drain) {
            link.OnSend(0);
        }
        if (c.close) {
            link.Close();
        }
        Bytes expected(static_cast<std::size_t>(link.sendCapacity()), 0);
        std::fill_n(expected.begin(), link.PendingBytes(), 0xA5);
        const auto block = link.sendBlock();
        EXPECT_EQ(Bytes(block.begin(), block.end()), expected) << c.name;
    }
}

TEST(NetLinkCreateTest, FailsWhenTheSocketCannotBeMadeOrBound) {
    ScriptedSocketLayer layer;
    NetLink link(std::make_unique<PosixNetBackend>(layer));
    layer.openFails = true;
    EXPECT_FALSE(link.Create());
    layer.openFails = false;
    layer.bindSucceeds = false;
    EXPECT_FALSE(link.Create());
    EXPECT_EQ(layer.closed.size(), 1u);
}

TEST(NetLinkConnectTest, UnderWayUnlessTheLayerRefusesOrNoSocketExists) {
    ScriptedSocketLayer layer;
    NetLink link(std::make_unique<PosixNetBackend>(layer));
    EXPECT_FALSE(link.Connect("127.0.0.1", 30000));
    ASSERT_TRUE(link.Create());
    layer.connectStart = SocketLayer::ConnectStart::Failed;
    EXPECT_FALSE(link.Connect("127.0.0.1", 30000));
    layer.connectStart = SocketLayer::ConnectStart::Done;
    EXPECT_TRUE(link.Connect("127.0.0.1", 30000));
}

}  // namespace
}  // namespace trelvo
