#include "tools/cli/fleet.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "fake_clock.h"
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
    }
    std::vector<std::string> finished;
};

// A fleet of recorders named in `names`, whose connects stay under way until
// the test ends them.
struct PendingFleet {
    PendingFleet(std::vector<std::string> names, int parallel) {
        request.file = {scratch.Write("update.sh", "12345"), "update.sh", {}};
        std::string typed = "admin";
        password.Take(typed);
        std::vector<RecorderTarget> targets;
        targets.reserve(names.size());
        for (std::string& name : names) {
            targets.push_back({static_cast<int>(targets.size()), std::move(name), false});
        }
        fleet = std::make_unique<Fleet>(
            targets, request, password, parallel, clock,
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
    QCoreApplication::processEvents();
    ASSERT_EQ(connects.size(), 2u);
    EXPECT_FALSE(rig.password.empty());  // three recorders still to start

    connects[1]->events->OnConnect(111);
    QCoreApplication::processEvents();
    EXPECT_EQ(reporter.finished, std::vector<std::string>{"b connect-failed"});
    ASSERT_EQ(connects.size(), 3u);

    rig.fleet->Abort();
    QCoreApplication::processEvents();
    EXPECT_EQ(reporter.finished, (std::vector<std::string>{"b connect-failed", "a aborted",
                                                           "c aborted", "d aborted", "e aborted"}));
    EXPECT_EQ(connects.size(), 3u);
    EXPECT_TRUE(rig.password.empty());
    EXPECT_EQ(rig.status, 1);
}

// A large fleet starts in turns of the event loop, so Ctrl-C, which arrives
// through the loop, is seen before every recorder has been started.
TEST(Fleet, ALargeFleetStartsInTurnsThatCtrlCCanCut) {
    constexpr std::size_t kRecorders = 2000;
    std::vector<std::string> names;
    names.reserve(kRecorders);
    for (std::size_t i = 0; i < kRecorders; ++i) {
        names.push_back("r" + std::to_string(i));
    }
    PendingFleet rig(names, kRecorders);

    rig.fleet->Run();
    const std::size_t firstTurn = rig.connects.size();
    EXPECT_GT(firstTurn, 0u);
    EXPECT_LT(firstTurn, kRecorders);
    // What Ctrl-C's notifier does, posted behind the next turn of starts.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&rig] { rig.fleet->Abort(); }, Qt::QueuedConnection);
    for (int turn = 0; turn < 100 && rig.status == -1; ++turn) {
        QCoreApplication::processEvents();
    }
    EXPECT_LT(rig.connects.size(), kRecorders);
    EXPECT_GT(rig.connects.size(), firstTurn);  // the loop went on starting meanwhile
    ASSERT_EQ(rig.reporter.finished.size(), kRecorders);
    EXPECT_EQ(rig.reporter.finished.back(), "r1999 aborted");
    EXPECT_EQ(rig.status, 1);
}

}  // namespace
}  // namespace trelvo
