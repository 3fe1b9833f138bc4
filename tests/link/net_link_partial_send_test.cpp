// Whatever the socket layer takes per send, and however often it would
// block, the recorder receives every handed-over byte once and in order.
#include <gtest/gtest.h>

#include <random>

#include "link/net_link.h"
#include "link/posix/posix_net_backend.h"
#include "scripted_socket_layer.h"

namespace trelvo {
namespace {

using testing::Bytes;
using testing::ScriptedSocketLayer;

// The hand-overs of an update with 15,000-byte file blocks: the requests,
// then blocks, each sent once the link has drained, as the pacing does.
const int kHandOvers[] = {18, 18, 6, 18, 26, 15000, 15000, 15000, 7, 18, 31};

TEST(NetLinkPartialSends, EveryByteArrivesOnceAndInOrder) {
    std::mt19937 random(20261207);
    for (int cap = 1; cap <= 1024; cap += (cap < 64 ? 1 : 37)) {
        ScriptedSocketLayer layer;
        layer.takePolicy = [&](int count) {
            // About one send in four would block.
            return random() % 4 == 0 ? -1 : std::min(cap, count);
        };
        NetLink link(std::make_unique<PosixNetBackend>(layer));
        ASSERT_TRUE(link.Create());
        // Each call passes on a byte or more unless the socket would block,
        // about one time in four: far fewer calls than this empty any backlog.
        const auto drain = [&link] {
            for (int call = 0; call < 1000000 && link.PendingBytes() != 0; ++call) {
                link.OnSend(0);
            }
        };
        Bytes handed;
        std::uint8_t next = 0;
        for (const int size : kHandOvers) {
            Bytes bytes(static_cast<std::size_t>(size));
            for (std::uint8_t& byte : bytes) {
                byte = next++;
            }
            if (size > 1000) {
                drain();
            }
            link.SendBuffered(bytes.data(), size);
            handed.insert(handed.end(), bytes.begin(), bytes.end());
        }
        drain();
        ASSERT_EQ(layer.sent, handed) << "at most " << cap << " bytes per send";
        link.Close();
    }
}

}  // namespace
}  // namespace trelvo
