#include "link/posix/threaded_name_resolver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <future>
#include <memory>

#include "event_loop.h"

namespace trelvo {
namespace {

using testing::RunIdleRounds;
using testing::WaitFor;
using Address = std::optional<std::uint32_t>;

// A lookup of "hung" hangs, like getaddrinfo on a silent name server, until
// the test releases it; any other name is found at once. Lookup threads may
// outlive the test's objects, so they hold only shared state.
struct HangingLookup {
    const std::shared_ptr<std::promise<void>> hanging = std::make_shared<std::promise<void>>();
    std::future<void> hangs = hanging->get_future();
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();

    LookupThreads::LookupFunction Function() const {
        return [hanging = hanging, released = released](const std::string& host) -> Address {
            if (host == "hung") {
                hanging->set_value();
                released.wait();
            }
            return 0x0a000001;
        };
    }
};

TEST(ThreadedNameResolver, LocalhostAnswersThroughTheEventLoop) {
    ThreadedNameResolver resolver;
    Address answer;
    std::unique_ptr<NameResolver::Lookup> lookup;
    // Like the network link, the answer drops its own lookup.
    lookup = resolver.Start("localhost", [&](Address address) {
        lookup.reset();
        answer = address;
    });
    EXPECT_FALSE(answer);
    ASSERT_TRUE(WaitFor([&] { return answer.has_value(); }));
    EXPECT_EQ(answer, Address{htonl(INADDR_LOOPBACK)});
}

// However the answer stops being wanted, the lookup's thread ends and
// nothing it posted arrives.
TEST(ThreadedNameResolver, NothingArrivesOnceTheAnswerIsNoLongerWanted) {
    enum class Drop { LookupAtOnce, LookupWhileHanging, ResolverWhileHanging };
    for (const Drop drop :
         {Drop::LookupAtOnce, Drop::LookupWhileHanging, Drop::ResolverWhileHanging}) {
        HangingLookup hanging;
        const auto threads = LookupThreads::Create({}, hanging.Function());
        auto resolver = std::make_unique<ThreadedNameResolver>(threads);
        bool arrived = false;
        auto lookup = resolver->Start("hung", [&](Address) { arrived = true; });
        if (drop != Drop::LookupAtOnce) {
            hanging.hangs.wait();
        }
        if (drop == Drop::ResolverWhileHanging) {
            resolver.reset();
        } else {
            lookup.reset();
        }
        hanging.release.set_value();
        ASSERT_TRUE(WaitFor([&] { return threads->threadCount() == 0; }));
        RunIdleRounds();
        EXPECT_FALSE(arrived) << static_cast<int>(drop);
    }
}

// A hung lookup that is given up frees its running place at once, but its
// thread counts until getaddrinfo returns.
TEST(ThreadedNameResolver, AGivenUpLookupMakesRoomWithinTheLimits) {
    for (const int threadLimit : {2, 1}) {
        HangingLookup hanging;
        const auto threads =
            LookupThreads::Create({.running = 1, .threads = threadLimit}, hanging.Function());
        ThreadedNameResolver resolver(threads);
        auto hung = resolver.Start("hung", [](Address) {});
        hanging.hangs.wait();
        bool answered = false;
        const auto next = resolver.Start("recorder", [&](Address) { answered = true; });
        RunIdleRounds();
        EXPECT_FALSE(answered) << threadLimit;
        hung.reset();
        RunIdleRounds();
        if (threadLimit == 2) {
            EXPECT_TRUE(WaitFor([&] { return answered; }));
        } else {
            EXPECT_FALSE(answered);
        }
        hanging.release.set_value();
        EXPECT_TRUE(WaitFor([&] { return answered && threads->threadCount() == 0; }));
    }
}

}  // namespace
}  // namespace trelvo
