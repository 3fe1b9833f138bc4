#include "fleet/fleet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

// A connect that stays under way until the test ends it.
class PendingNetLink : public NetLinkInterface {
public:
    explicit PendingNetLink(std::vector<PendingNetLink*>& connects) : connects_(connects) {}
    void SetEvents(NetLinkEvents* events) override { this->events = events; }
    bool Create() override { return true; }
    bool Connect(const std::string&, std::uint16_t) override {
        connects_.push_back(this);
        return true;
    }
    int Receive(std::uint8_t*, int, ReceiveMode) override { return -1; }
    void SendBuffered(const std::uint8_t*, int) override {}
    int PendingBytes() const override { return 0; }
    void Close() override {}

    NetLinkEvents* events = nullptr;

private:
    std::vector<PendingNetLink*>& connects_;
};

class NoSerialLink : public SerialLinkInterface {
public:
    bool Open(const std::string&, int, bool) override { return false; }
    bool Write(const std::uint8_t*, std::uint32_t) override { return false; }
    std::uint32_t Read(std::uint8_t*, std::uint32_t) override { return 0; }
    std::uint32_t InputCount() override { return 0; }
    bool IsOutputEmpty() override { return true; }
    bool HasFailed() const override { return false; }
    void Close() override {}
};

class ListReporter : public Reporter {
public:
    void Ticked(std::span<RecorderRun* const>) override {}
    void Finished(const RecorderTarget& target, const RecorderResult& result) override {
        finished.push_back(target.name + " " + std::string(OutcomeName(result.outcome.kind)));
        attempts.push_back(result.attempts);
    }
    void Retrying(const RecorderTarget& target, const RecorderResult& failed,
                  std::uint32_t waitMs) override {
        retries.push_back(target.name + " " + std::string(OutcomeName(failed.outcome.kind)) +
                          " attempt " + std::to_string(target.attempt));
        waits.push_back(waitMs);
    }
    std::vector<std::string> finished;
    std::vector<int> attempts;
    std::vector<std::string> retries;
    std::vector<std::uint32_t> waits;
};

// A fleet of recorders named in `names`, whose connects stay under way until
// the test ends them.
struct PendingFleet {
    PendingFleet(std::vector<std::string> names, int parallel, int retries = 0) {
        request.file = {scratch.Write("update.sh", "12345"), "update.sh", {}};
        request.retries = retries;
        std::string typed = "admin";
        password.Take(typed);
        std::vector<RecorderTarget> targets;
        targets.reserve(names.size());
        for (std::string& name : names) {
            targets.push_back({static_cast<int>(targets.size()), std::move(name), false});
        }
        fleet = std::make_unique<Fleet>(
            targets, std::move(request), password, parallel, loop, clock,
            [this](const RecorderTarget&) {
                return RecorderLinks{std::make_unique<PendingNetLink>(connects),
                                     std::make_unique<NoSerialLink>()};
            },
            reporter, [this](int exitStatus) { status = exitStatus; });
    }

    ScratchDir scratch;
    UpdateRequest request;
    Secret password;
    std::vector<PendingNetLink*> connects;
    testing::FakeEventLoop loop;
    testing::FakeClock clock;
    ListReporter reporter;
    int status = -1;
    std::unique_ptr<Fleet> fleet;
};

TEST(Fleet, RunsAtMostNAndStartsTheNextWhenOneEnds) {
    PendingFleet rig({"a", "b", "c", "d", "e"}, 2);
    const auto& connects = rig.connects;
    const auto& reporter = rig.reporter;

    rig.fleet->Run();
    EXPECT_EQ(rig.loop.tickPeriodMs, std::uint32_t{TICK_PERIOD_MS});
    rig.loop.RunTurn();
    ASSERT_EQ(connects.size(), 2u);
    EXPECT_FALSE(rig.password.empty());  // three recorders still to start

    connects[1]->events->OnConnect(111);
    rig.loop.RunTurn();
    EXPECT_EQ(reporter.finished, std::vector<std::string>{"b connect-failed"});
    ASSERT_EQ(connects.size(), 3u);

    rig.fleet->Abort();
    rig.loop.RunTurn();
    EXPECT_EQ(reporter.finished, (std::vector<std::string>{"b connect-failed", "a aborted",
                                                           "c aborted", "d aborted", "e aborted"}));
    EXPECT_EQ(connects.size(), 3u);
    EXPECT_TRUE(rig.password.empty());
    EXPECT_EQ(rig.status, 1);
    EXPECT_FALSE(rig.loop.ticking());
}

// What the fleet has posted to the loop finds nothing once the fleet has
// gone, as when the command line ends while a result is on its way.
TEST(Fleet, PostedWorkOfAFleetThatHasGoneIsDropped) {
    PendingFleet rig({"a", "b"}, 2);
    rig.fleet->Run();
    rig.loop.RunTurn();
    ASSERT_EQ(rig.connects.size(), 2u);
    rig.connects[0]->events->OnConnect(111);  // posts the collection of a's result
    rig.fleet.reset();
    rig.loop.RunPosted();
    EXPECT_TRUE(rig.reporter.finished.empty());
    EXPECT_FALSE(rig.loop.ticking());
}

// A recorder that cannot be reached is tried again after 1 s, then 2 s (less
// up to a fifth), on the fleet's clock. A waiting recorder holds no place,
// it goes before those still waiting for one, and its last result carries
// every attempt.
TEST(Fleet, ARecorderThatCannotBeReachedIsTriedAgainAfterGrowingWaits) {
    PendingFleet rig({"a", "b"}, 1, 2);
    const auto failConnect = [&rig](std::size_t attempt) {
        ASSERT_EQ(rig.connects.size(), attempt + 1);
        rig.connects[attempt]->events->OnConnect(111);
        rig.loop.RunTurn();
    };
    rig.fleet->Run();
    rig.loop.RunTurn();
    failConnect(0);  // a, at 0 ms
    EXPECT_EQ(rig.reporter.retries, std::vector<std::string>{"a connect-failed attempt 1"});
    ASSERT_EQ(rig.connects.size(), 2u);  // b has the place at once
    EXPECT_FALSE(rig.password.empty());  // a needs it again
    const std::uint32_t firstWait = rig.reporter.waits[0];
    EXPECT_GE(firstWait, 800u);
    EXPECT_LE(firstWait, 1000u);

    rig.clock.now = firstWait - 1;
    failConnect(1);  // b; a's wait is not yet over
    EXPECT_EQ(rig.connects.size(), 2u);
    rig.clock.now += 1;
    rig.fleet->Tick();
    failConnect(2);  // a, second attempt
    EXPECT_GE(rig.reporter.waits[2], 1600u);
    EXPECT_LE(rig.reporter.waits[2], 2000u);
    EXPECT_EQ(rig.connects.size(), 3u);

    rig.clock.now += 1000;
    rig.fleet->Tick();
    failConnect(3);  // b, second attempt
    rig.clock.now += 2000;
    rig.fleet->Tick();
    failConnect(4);  // a, third and last attempt
    EXPECT_EQ(rig.reporter.finished, std::vector<std::string>{"a connect-failed"});
    failConnect(5);  // b, third and last attempt
    rig.loop.RunPosted();
    EXPECT_EQ(
        rig.reporter.retries,
        (std::vector<std::string>{"a connect-failed attempt 1", "b connect-failed attempt 1",
                                  "a connect-failed attempt 2", "b connect-failed attempt 2"}));
    EXPECT_EQ(rig.reporter.finished,
              (std::vector<std::string>{"a connect-failed", "b connect-failed"}));
    EXPECT_EQ(rig.reporter.attempts, (std::vector<int>{3, 3}));
    EXPECT_TRUE(rig.password.empty());
    EXPECT_EQ(rig.status, 1);
}

// Ctrl-C ends a wait at once: the recorder ends with its last attempt's
// result and nothing is tried again.
TEST(Fleet, CtrlCEndsTheWaitForARetryAtOnce) {
    PendingFleet rig({"a"}, 1, 5);
    rig.fleet->Run();
    rig.loop.RunTurn();
    ASSERT_EQ(rig.connects.size(), 1u);
    rig.connects[0]->events->OnConnect(111);
    rig.loop.RunTurn();
    ASSERT_EQ(rig.reporter.retries.size(), 1u);
    rig.fleet->Abort();
    EXPECT_EQ(rig.reporter.finished, std::vector<std::string>{"a connect-failed"});
    EXPECT_TRUE(rig.password.empty());
    rig.loop.RunTurn();
    EXPECT_EQ(rig.status, 1);
    rig.clock.now += 60000;
    rig.fleet->Tick();
    EXPECT_EQ(rig.connects.size(), 1u);
}

// A large fleet starts in turns of the event loop, so Ctrl-C, which arrives
// through the loop, is seen before every recorder has been started.
TEST(Fleet, ALargeFleetStartsInTurnsThatCtrlCCanCut) {
    constexpr std::size_t kRecorders = 2000;
    std::vector<std::string> names;
    names.reserve(kRecorders);
    for (std::size_t i = 0; i < kRecorders; ++i) {
        // Appended rather than "r" + text: GCC 12 warns falsely (-Wrestrict)
        // about that concatenation in an optimised build.
        names.push_back(std::to_string(i).insert(0, 1, 'r'));
    }
    PendingFleet rig(names, kRecorders);

    rig.fleet->Run();
    const std::size_t firstTurn = rig.connects.size();
    EXPECT_GT(firstTurn, 0u);
    EXPECT_LT(firstTurn, kRecorders);
    // What Ctrl-C's watch does, posted behind the next turn of starts.
    rig.loop.Post([&rig] { rig.fleet->Abort(); });
    rig.loop.RunPosted();
    EXPECT_LT(rig.connects.size(), kRecorders);
    EXPECT_GT(rig.connects.size(), firstTurn);  // the loop went on starting meanwhile
    ASSERT_EQ(rig.reporter.finished.size(), kRecorders);
    EXPECT_EQ(rig.reporter.finished.back(), "r1999 aborted");
    EXPECT_EQ(rig.status, 1);
}

}  // namespace
}  // namespace trelvo
