#include "link/threaded_name_resolver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <QCoreApplication>
#include <QTest>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace trelvo {
namespace {

using Address = std::optional<std::uint32_t>;

bool WaitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 10000);
}

// Runs the event loop without waiting, so an answer already posted is delivered.
void RunIdleRounds() {
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::processEvents();
    }
}

// A lookup that hangs, like getaddrinfo on a silent server, for the host
// "hung" until the test lets it go; any other host is answered at once.
class HangingLookup {
public:
    LookupThreads::LookupFunction Function() const {
        return [state = state_](const std::string& host) -> Address {
            std::unique_lock lock(state->mutex);
            if (host == "hung") {
                ++state->hung;
                state->changed.notify_all();
                state->changed.wait(lock, [&] { return state->released; });
            }
            return state->answer;
        };
    }
    void AwaitHung(int count) const {
        std::unique_lock lock(state_->mutex);
        state_->changed.wait(lock, [&] { return state_->hung >= count; });
    }
    void Release() const {
        const std::lock_guard lock(state_->mutex);
        state_->released = true;
        state_->changed.notify_all();
    }
    void SetAnswer(Address answer) const {
        const std::lock_guard lock(state_->mutex);
        state_->answer = answer;
    }

private:
    // Lookup threads may outlive the test's objects, so they share this.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        int hung = 0;
        bool released = false;
        Address answer = 0x0a000001;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

struct Reply {
    bool arrived = false;
    Address address;
    NameResolver::Answer Recorder() {
        return [this](Address answer) {
            arrived = true;
            address = answer;
        };
    }
};

TEST(ThreadedNameResolver, LocalhostAnswersThroughTheEventLoop) {
    ThreadedNameResolver resolver;
    Reply reply;
    std::unique_ptr<NameResolver::Lookup> lookup;
    // Like the network link, the answer drops its own lookup.
    lookup = resolver.Start("localhost", [&](Address address) {
        lookup.reset();
        reply.Recorder()(address);
    });
    EXPECT_FALSE(reply.arrived);
    ASSERT_TRUE(WaitFor([&] { return reply.arrived; }));
    EXPECT_EQ(reply.address, Address{htonl(INADDR_LOOPBACK)});
}

TEST(ThreadedNameResolver, PassesOnWhatTheLookupFound) {
    for (const Address found : {Address{0x0a000001}, Address{}}) {
        HangingLookup hanging;
        hanging.SetAnswer(found);
        ThreadedNameResolver resolver(LookupThreads::Create({}, hanging.Function()));
        Reply reply;
        const auto lookup = resolver.Start("recorder", reply.Recorder());
        ASSERT_TRUE(WaitFor([&] { return reply.arrived; }));
        EXPECT_EQ(reply.address, found);
    }
}

// However the answer stops being wanted, the lookup's thread finishes and
// posts nothing that arrives.
TEST(ThreadedNameResolver, NothingArrivesOnceTheAnswerIsNoLongerWanted) {
    enum class Drop { LookupAtOnce, LookupWhileRunning, Resolver };
    for (const Drop drop : {Drop::LookupAtOnce, Drop::LookupWhileRunning, Drop::Resolver}) {
        HangingLookup hanging;
        const auto threads = LookupThreads::Create({}, hanging.Function());
        auto resolver = std::make_unique<ThreadedNameResolver>(threads);
        Reply reply;
        auto lookup = resolver->Start("hung", reply.Recorder());
        if (drop == Drop::LookupAtOnce) {
            lookup.reset();
        } else {
            hanging.AwaitHung(1);
            if (drop == Drop::LookupWhileRunning) {
                lookup.reset();
            } else {
                resolver.reset();
            }
        }
        hanging.Release();
        ASSERT_TRUE(WaitFor([&] { return threads->threadCount() == 0; }));
        RunIdleRounds();
        EXPECT_FALSE(reply.arrived) << static_cast<int>(drop);
    }
}

// The first lookup hangs and is given up; the second may run once the
// limits allow it.
TEST(ThreadedNameResolver, AGivenUpLookupMakesRoomWithinTheLimits) {
    const struct {
        const char* name;
        LookupThreads::Limits limits;
        bool answeredWhileTheFirstHangs;
    } cases[] = {
        {"a running place frees at once", {.running = 1, .threads = 2}, true},
        {"a thread only when it ends", {.running = 1, .threads = 1}, false},
    };
    for (const auto& c : cases) {
        HangingLookup hanging;
        const auto threads = LookupThreads::Create(c.limits, hanging.Function());
        ThreadedNameResolver resolver(threads);
        Reply first;
        Reply second;
        auto hung = resolver.Start("hung", first.Recorder());
        hanging.AwaitHung(1);
        const auto next = resolver.Start("recorder", second.Recorder());
        RunIdleRounds();
        EXPECT_FALSE(second.arrived) << c.name;
        hung.reset();
        if (c.answeredWhileTheFirstHangs) {
            EXPECT_TRUE(WaitFor([&] { return second.arrived; })) << c.name;
            hanging.Release();
        } else {
            RunIdleRounds();
            EXPECT_FALSE(second.arrived) << c.name;
            hanging.Release();
            EXPECT_TRUE(WaitFor([&] { return second.arrived; })) << c.name;
        }
        EXPECT_TRUE(WaitFor([&] { return threads->threadCount() == 0; })) << c.name;
        EXPECT_FALSE(first.arrived) << c.name;
    }
}

}  // namespace
}  // namespace trelvo
