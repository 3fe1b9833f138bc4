// Connect by name: the lookup runs behind the resolver seam, and the link
// never waits for it.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "fake_name_resolver.h"
#include "link/net_link.h"
#include "link/posix/posix_net_backend.h"
#include "scripted_socket_layer.h"

namespace trelvo {
namespace {

using testing::FakeNameResolver;
using testing::ScriptedSocketLayer;
using Connects = std::vector<std::pair<std::uint32_t, std::uint16_t>>;
using Start = SocketLayer::ConnectStart;

constexpr std::uint32_t kAddress = 0x0a00a8c0;  // 192.168.0.10 in network byte order

class ConnectEvents : public NetLinkEvents {
public:
    void OnConnect(int error) override { connects.push_back(error); }
    void OnReceive(int) override {}
    void OnClose(int) override {}
    std::vector<int> connects;
};

TEST(NetLinkLookup, ADottedAddressNeedsNoLookupAndANameWaitsForItsAnswer) {
    const struct {
        const char* host;
        std::optional<std::uint32_t> answer;  // unused for the dotted address
        Start start;
        Connects connects;
        std::vector<int> reported;
    } cases[] = {
        {"192.168.0.10", std::nullopt, Start::UnderWay, {{kAddress, 30000}}, {}},
        {"rec-17", kAddress, Start::UnderWay, {{kAddress, 30000}}, {}},
        {"rec-17", std::nullopt, Start::UnderWay, {}, {EHOSTUNREACH}},
        {"rec-17", kAddress, Start::Failed, {{kAddress, 30000}}, {ENETUNREACH}},
    };
    for (const auto& c : cases) {
        ScriptedSocketLayer layer;
        layer.connectStart = c.start;
        layer.connectError = ENETUNREACH;
        FakeNameResolver resolver;
        ConnectEvents events;
        NetLink link(std::make_unique<PosixNetBackend>(layer, resolver));
        link.SetEvents(&events);
        ASSERT_TRUE(link.Create());
        ASSERT_TRUE(link.Connect(c.host, 30000)) << c.host;
        if (!resolver.asked.empty()) {
            EXPECT_EQ(resolver.asked[0]->host, c.host);
            EXPECT_TRUE(layer.connects.empty());
            ASSERT_TRUE(resolver.Reply(c.answer));
        }
        EXPECT_EQ(layer.connects, c.connects) << c.host;
        EXPECT_EQ(events.connects, c.reported) << c.host;
    }
}

// A name server that never answers: the link neither waits nor reports, and
// once the job gives up (Close, also from the destructor) nothing comes of
// the lookup any more.
TEST(NetLinkLookup, CloseCancelsALookupThatNeverAnswers) {
    ScriptedSocketLayer layer;
    FakeNameResolver resolver;
    ConnectEvents events;
    NetLink link(std::make_unique<PosixNetBackend>(layer, resolver));
    link.SetEvents(&events);
    ASSERT_TRUE(link.Create());
    ASSERT_TRUE(link.Connect("rec-17", 30000));
    link.Close();
    EXPECT_TRUE(resolver.asked[0]->cancelled);
    EXPECT_FALSE(resolver.Reply(kAddress));
    EXPECT_TRUE(layer.connects.empty());
    EXPECT_TRUE(events.connects.empty());
}

}  // namespace
}  // namespace trelvo
