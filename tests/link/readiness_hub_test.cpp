#include "link/posix/readiness_hub.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <utility>

#include "event_loop.h"

// The epoll hub under the real event loop, on socket pairs.
namespace trelvo {
namespace {

using testing::RunIdleRounds;
using testing::WaitFor;

// A connected pair: `near` is watched, `far` plays the peer.
struct SocketPair {
    SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds.data()), 0); }
    ~SocketPair() {
        for (const int fd : fds) {
            close(fd);
        }
    }
    void PeerWrites() const { ASSERT_EQ(write(fds[1], "x", 1), 1); }
    void PeerHangsUp() { close(std::exchange(fds[1], -1)); }
    int near() const { return fds[0]; }
    std::array<int, 2> fds{-1, -1};
};

TEST(ReadinessHubTest, ReportsEachDirectionOnlyWhileItIsWatched) {
    SocketPair pair;
    int readable = 0;
    int writable = 0;
    ReadinessWatch watch([&] { ++readable; }, [&] { ++writable; });
    watch.SetDescriptor(pair.near());
    watch.WatchWrites(true);
    ASSERT_TRUE(WaitFor([&] { return writable > 0; }));
    EXPECT_EQ(readable, 0);  // nothing has arrived, and reads are not watched

    watch.WatchWrites(false);
    pair.PeerWrites();
    const int writesSeen = writable;
    RunIdleRounds();
    EXPECT_EQ(writable, writesSeen);
    EXPECT_EQ(readable, 0);

    watch.WatchReads(true);
    ASSERT_TRUE(WaitFor([&] { return readable > 0; }));
    watch.SetDescriptor(-1);
    const int readsSeen = readable;
    RunIdleRounds();
    EXPECT_EQ(readable, readsSeen);

    // A hang-up is reported whatever is watched, but only to the direction
    // that is.
    watch.SetDescriptor(pair.near());
    watch.WatchWrites(true);
    pair.PeerHangsUp();
    ASSERT_TRUE(WaitFor([&] { return writable > writesSeen; }));
    EXPECT_EQ(readable, readsSeen);
}

// Two descriptors are ready in the same batch; whichever handler runs first
// does something to the other watch, which must then hear nothing of the
// readiness already collected for it.
TEST(ReadinessHubTest, AWatchChangedByAnEarlierHandlerInTheBatchIsNotDelivered) {
    enum class Change { Unwatch, Destroy, Repoint };
    for (const Change change : {Change::Unwatch, Change::Destroy, Change::Repoint}) {
        SocketPair first;
        SocketPair second;
        SocketPair spare;  // never ready
        std::array<std::unique_ptr<ReadinessWatch>, 2> watches;
        std::array<int, 2> calls{};
        bool changed = false;
        for (int i = 0; i < 2; ++i) {
            watches[i] = std::make_unique<ReadinessWatch>(
                [&, i] {
                    ++calls[i];
                    if (std::exchange(changed, true)) {
                        return;
                    }
                    auto& other = watches[1 - i];
                    if (change == Change::Unwatch) {
                        other->WatchReads(false);
                    } else if (change == Change::Destroy) {
                        other.reset();
                    } else {
                        other->SetDescriptor(spare.near());
                        other->WatchReads(true);
                    }
                },
                [] {});
        }
        watches[0]->SetDescriptor(first.near());
        watches[1]->SetDescriptor(second.near());
        first.PeerWrites();
        second.PeerWrites();
        for (auto& watch : watches) {
            watch->WatchReads(true);
        }
        ASSERT_TRUE(WaitFor([&] { return changed; }));
        RunIdleRounds();
        // The first keeps running (its byte is never read); the other never ran.
        EXPECT_EQ((calls[0] == 0) + (calls[1] == 0), 1) << static_cast<int>(change);
    }
}

}  // namespace
}  // namespace trelvo
