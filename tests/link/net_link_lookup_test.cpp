// Connect by name: the lookup runs behind the resolver seam, and the link
// never waits for it.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "fake_name_resolver.h"
#include "link/net_link.h"
#include "scripted_socket_layer.h"

namespace trelvo {
namespace {

using testing::FakeNameResolver;
using testing::ScriptedSocketLayer;
using Connects = std::vector<std::pair<std::uint32_t, std::uint16_t>>;

constexpr std::uint32_t kAddress = 0x0a00a8c0;  // 192.168.0.10
constexpr std::uint16_t kPort = 30000;

class ConnectEvents : public NetLinkEvents {
public:
    void OnConnect(int error) override { connects.push_back(error); }
    void OnReceive(int) override {}
    std::vector<int> connects;
};

class NetLinkLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.SetEvents(&events);
        ASSERT_TRUE(link.Create());
    }

    ScriptedSocketLayer layer;
    FakeNameResolver resolver;
    ConnectEvents events;
    NetLink link{layer, resolver};
};

TEST_F(NetLinkLookupTest, ADottedAddressIsUsedWithoutALookup) {
    EXPECT_TRUE(link.Connect("192.168.0.10", kPort));
    EXPECT_TRUE(resolver.asked.empty());
    EXPECT_EQ(layer.connects, (Connects{{kAddress, kPort}}));
}

struct AnswerCase {
    const char* name;
    std::optional<std::uint32_t> address;
    SocketLayer::ConnectStart start;
    Connects connects;
    std::vector<int> reported;
};

class NetLinkAnswerTest : public NetLinkLookupTest,
                          public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(NetLinkAnswerTest, TheAnswerCarriesTheAttemptOn) {
    layer.connectStart = GetParam().start;
    layer.connectError = ENETUNREACH;
    ASSERT_TRUE(link.Connect("rec-17", kPort));
    ASSERT_EQ(resolver.asked.size(), 1u);
    EXPECT_EQ(resolver.asked[0]->host, "rec-17");
    EXPECT_TRUE(layer.connects.empty());
    EXPECT_TRUE(events.connects.empty());
    ASSERT_TRUE(resolver.Reply(GetParam().address));
    EXPECT_EQ(layer.connects, GetParam().connects);
    EXPECT_EQ(events.connects, GetParam().reported);
}

INSTANTIATE_TEST_SUITE_P(Cases, NetLinkAnswerTest,
                         ::testing::Values(AnswerCase{"AddressStartsTheConnect",
                                                      kAddress,
                                                      SocketLayer::ConnectStart::UnderWay,
                                                      Connects{{kAddress, kPort}},
                                                      {}},
                                           AnswerCase{"NoAddressEndsTheAttempt",
                                                      std::nullopt,
                                                      SocketLayer::ConnectStart::UnderWay,
                                                      Connects{},
                                                      {EHOSTUNREACH}},
                                           AnswerCase{"RefusedConnectEndsTheAttempt",
                                                      kAddress,
                                                      SocketLayer::ConnectStart::Failed,
                                                      Connects{{kAddress, kPort}},
                                                      {ENETUNREACH}}),
                         [](const auto& info) { return info.param.name; });

// A name server that never answers: the link neither waits nor reports, and
// once the job gives up nothing comes of the lookup any more.
TEST_F(NetLinkLookupTest, CloseCancelsALookupThatNeverAnswers) {
    ASSERT_TRUE(link.Connect("rec-17", kPort));
    link.Close();
    EXPECT_TRUE(resolver.asked[0]->cancelled);
    EXPECT_FALSE(resolver.Reply(kAddress));
    EXPECT_TRUE(layer.connects.empty());
    EXPECT_TRUE(events.connects.empty());
}

TEST(NetLinkLookup, DestroyingTheLinkCancelsItsLookup) {
    ScriptedSocketLayer layer;
    FakeNameResolver resolver;
    {
        NetLink link(layer, resolver);
        ASSERT_TRUE(link.Create());
        ASSERT_TRUE(link.Connect("rec-17", kPort));
    }
    EXPECT_TRUE(resolver.asked[0]->cancelled);
    EXPECT_FALSE(resolver.Reply(kAddress));
}

}  // namespace
}  // namespace trelvo
