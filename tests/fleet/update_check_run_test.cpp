// The check after an update, as one recorder's run and a fleet make it:
// the job on fake links, the check's attempts at the fake clock's ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fleet/fleet.h"
#include "job/requests.h"
#include "job_fakes.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

constexpr std::uint32_t kVerifyTimeoutMs = 20000;

// One recorder's run on fake links, updated by a recorder that reports 2.0.60.
class CheckedRun {
public:
    explicit CheckedRun(bool serial = false, std::optional<std::string> expect = "2.0.61") {
        auto netLink = std::make_unique<FakeNetLink>(log);
        auto serialLink = std::make_unique<FakeSerialLink>(log);
        net = netLink.get();
        line = serialLink.get();
        run = std::make_unique<RecorderRun>(
            RecorderTarget{0, serial ? "/dev/ttyS0" : "rec", serial},
            RecorderLinks{std::move(netLink), std::move(serialLink)}, clock, [this] { ++ends; });
        request.file = {scratch.Write("update.sh", std::string(100, 'u')), "update.sh", {}};
        std::string typed = "admin";
        password.Take(typed);
        request.password = &password;
        request.timeoutMs = 30000;
        request.expectVersion = std::move(expect);
        request.verifyTimeoutMs = kVerifyTimeoutMs;
    }

    // Through the update to the recorder's reply to execute.
    void Update(std::uint16_t resultStatus = STATUS_OK) {
        run->Start(request);
        if (line->writes.empty()) {
            net->events_->OnConnect(0);
        }
        Answer(VersionReply("2.0.60"), Reply(STATUS_OK, 20070));
        Answer(Reply(STATUS_OK, ACCESS_ADMIN));
        run->Tick();  // the file
        run->Tick();  // its empty last step
        Answer(Reply(STATUS_OK));
        Answer(Reply(resultStatus));
    }

    // A reply over the network, or over the serial line, which the tick polls.
    void Answer(const Bytes& reply, const Bytes& serialReply = {}) {
        if (run->target().serial) {
            line->inbox.Add(serialReply.empty() ? reply : serialReply);
            run->Tick();
        } else {
            net->Arrive(reply);
        }
    }

    // Moves the clock on, a tick at a time.
    void Pass(std::uint32_t ms) {
        for (std::uint32_t passed = 0; passed < ms; passed += TICK_PERIOD_MS) {
            clock.now += TICK_PERIOD_MS;
            run->Tick();
        }
    }

    int Connects() const {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [](const std::string& e) {
            return e.rfind("net.Connect", 0) == 0 || e.rfind("serial.Open", 0) == 0;
        }));
    }

    ScratchDir scratch;
    EventLog log;
    FakeClock clock;
    FakeNetLink* net = nullptr;
    FakeSerialLink* line = nullptr;
    Secret password;
    UpdateRequest request;
    int ends = 0;
    std::unique_ptr<RecorderRun> run;
};

TEST(UpdateCheckRun, WithoutAnExpectedVersionTheRunEndsWithTheRecordersReply) {
    CheckedRun rig(false, std::nullopt);
    rig.Update();
    EXPECT_EQ(rig.ends, 1);
    EXPECT_EQ(rig.run->Result().outcome.kind, Outcome::Succeeded);
    EXPECT_FALSE(rig.run->Result().checked);
    rig.Pass(10000);
    EXPECT_EQ(rig.Connects(), 1);
}

// A recorder that restarts: it refuses connects, then drops one, then
// reports the new version. The run ends only then, verified, with what the
// update itself did kept.
TEST(UpdateCheckRun, ARecorderThatRestartsIsAskedEveryFiveSecondsUntilItReportsTheNewVersion) {
    CheckedRun rig;
    rig.Update();
    EXPECT_EQ(rig.ends, 0);
    EXPECT_FALSE(rig.run->ended());
    EXPECT_EQ(rig.run->state(), JobState::AwaitResult);
    EXPECT_EQ(rig.run->percent(), 100);
    EXPECT_EQ(rig.Connects(), 1);

    rig.run->Tick();  // the first attempt, at once
    ASSERT_EQ(rig.Connects(), 2);
    rig.net->events_->OnConnect(ECONNREFUSED);
    rig.Pass(4950);
    EXPECT_EQ(rig.Connects(), 2);
    rig.Pass(50);
    ASSERT_EQ(rig.Connects(), 3);
    rig.net->events_->OnConnect(0);
    rig.net->HangUpBy(FakeNetLink::HangUp::Rst);
    rig.run->Tick();
    rig.Pass(5000);
    ASSERT_EQ(rig.Connects(), 4);
    const std::size_t sendsBefore = rig.net->sends.size();
    rig.net->events_->OnConnect(0);
    // The probe's version query, and nothing after the reply: no password.
    ASSERT_EQ(rig.net->sends.size(), sendsBefore + 1);
    EXPECT_EQ(rig.net->sends.back(), VersionQueryRequest(LinkKind::Network));
    EXPECT_EQ(rig.ends, 0);
    rig.net->Arrive(VersionReply("2.0.61"));
    EXPECT_EQ(rig.net->sends.size(), sendsBefore + 1);

    ASSERT_EQ(rig.ends, 1);
    const RecorderResult result = rig.run->Result();
    EXPECT_EQ(result.outcome.kind, Outcome::Verified);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(result.checked);
    EXPECT_EQ(result.checkedVersion, "2.0.61");
    EXPECT_EQ(result.version, "2.0.60");
    EXPECT_EQ(result.bytes, 100u);
    EXPECT_EQ(result.reached, JobState::AwaitResult);
    EXPECT_DOUBLE_EQ(result.seconds, 10.0);
    rig.Pass(10000);
    EXPECT_EQ(rig.Connects(), 4);
}

// Not verified, with what it last reported: a recorder that keeps its old
// version is asked until the time is up, one that never comes back tells
// nothing, and an attempt still waiting then is closed.
TEST(UpdateCheckRun, ARecorderThatNeverReportsTheNewVersionIsNotVerifiedWhenTheTimeIsUp) {
    struct Case {
        const char* what;
        std::optional<std::string> reported;  // none: every connect refused
        std::optional<std::string> checkedVersion;
    };
    const Case cases[] = {
        {"old version", "2.0.60", "2.0.60"},
        {"never back", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        CheckedRun rig;
        rig.Update();
        rig.run->Tick();
        for (int attempt = 0; attempt < 4; ++attempt) {
            ASSERT_EQ(rig.Connects(), 2 + attempt) << c.what;
            if (c.reported) {
                rig.net->events_->OnConnect(0);
                rig.net->Arrive(VersionReply(*c.reported));
            } else {
                rig.net->events_->OnConnect(ECONNREFUSED);
            }
            EXPECT_EQ(rig.ends, 0) << c.what;
            // The next attempt starts on the last tick.
            rig.Pass(attempt < 3 ? 5000 : 4950);
        }
        EXPECT_EQ(rig.ends, 0) << c.what;
        rig.Pass(50);  // 20 s: the time is up before a fifth attempt
        EXPECT_EQ(rig.Connects(), 5) << c.what;
        ASSERT_EQ(rig.ends, 1) << c.what;
        const RecorderResult result = rig.run->Result();
        EXPECT_EQ(result.outcome.kind, Outcome::NotVerified) << c.what;
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_EQ(result.checkedVersion, c.checkedVersion) << c.what;
        EXPECT_EQ(result.version, "2.0.60") << c.what;
    }
}

TEST(UpdateCheckRun, ASilentAttemptGivesWayToTheNextAndTheTimeLimitClosesTheLast) {
    CheckedRun rig;
    rig.request.verifyTimeoutMs = 7000;
    rig.Update();
    rig.run->Tick();
    rig.net->events_->OnConnect(0);  // the query goes out, no reply comes
    rig.Pass(4950);
    EXPECT_EQ(rig.Connects(), 2);
    rig.Pass(100);  // its 5 s are up, and the next one's turn has come
    EXPECT_EQ(rig.Connects(), 3);
    rig.net->events_->OnConnect(0);
    rig.Pass(1900);
    ASSERT_EQ(rig.ends, 0);
    rig.log.clear();
    rig.Pass(50);  // 7 s, the second attempt still waiting
    ASSERT_EQ(rig.ends, 1);
    EXPECT_EQ(rig.run->Result().outcome.kind, Outcome::NotVerified);
    EXPECT_EQ(rig.run->Result().checkedVersion, std::nullopt);
    EXPECT_EQ(rig.log, EventLog{"net.Close"});
}

// The update failed, or was no update: nothing to check.
TEST(UpdateCheckRun, OnlyAReportedSuccessIsChecked) {
    CheckedRun refused;
    refused.Update(STATUS_UPDATE_FAILED);
    ASSERT_EQ(refused.ends, 1);
    EXPECT_EQ(refused.run->Result().outcome.kind, Outcome::RefusedByRecorder);
    EXPECT_FALSE(refused.run->Result().checked);

    CheckedRun probe;
    probe.request.goal = JobGoal::ProbeVersion;
    probe.run->Start(probe.request);
    probe.net->events_->OnConnect(0);
    probe.net->Arrive(VersionReply("2.0.60"));
    ASSERT_EQ(probe.ends, 1);
    EXPECT_EQ(probe.run->Result().outcome.kind, Outcome::Probed);
    probe.Pass(10000);
    EXPECT_EQ(probe.Connects(), 1);
}

// Over a serial line each attempt opens the line again and asks as a probe
// does; the recorder answers with its number.
TEST(UpdateCheckRun, OverASerialLineTheNumberIsCompared) {
    CheckedRun rig(true, "20071");
    rig.Update();
    ASSERT_EQ(rig.ends, 0);
    rig.run->Tick();
    ASSERT_EQ(rig.Connects(), 2);
    EXPECT_EQ(rig.line->writes.back(), VersionQueryRequest(LinkKind::Serial));
    rig.line->inbox.Add(Reply(STATUS_OK, 20071));
    rig.run->Tick();
    ASSERT_EQ(rig.ends, 1);
    EXPECT_EQ(rig.run->Result().outcome.kind, Outcome::Verified);
    EXPECT_EQ(rig.run->Result().checkedVersion, "20071");
}

TEST(UpdateCheckRun, AbortEndsTheCheckAtOnceAsAborted) {
    for (const bool duringAttempt : {false, true}) {
        CheckedRun rig;
        rig.Update();
        rig.run->Tick();
        if (duringAttempt) {
            rig.net->events_->OnConnect(0);
        } else {
            rig.net->events_->OnConnect(ECONNREFUSED);
        }
        rig.log.clear();
        rig.run->Abort();
        EXPECT_TRUE(rig.run->ended());
        EXPECT_EQ(rig.ends, 1);
        const RecorderResult result = rig.run->Result();
        EXPECT_EQ(result.outcome.kind, Outcome::Aborted);
        EXPECT_TRUE(result.checked);
        EXPECT_EQ(result.reached, JobState::AwaitResult);
        EXPECT_EQ(std::count(rig.log.begin(), rig.log.end(), "net.Close"), duringAttempt ? 1 : 0);
        rig.Pass(10000);
        EXPECT_EQ(rig.Connects(), 0);
        EXPECT_EQ(rig.ends, 1);
    }
}

// In a fleet: not verified is a failure, never retried, and Ctrl-C during
// a check reports that recorder aborted at once.
TEST(UpdateCheckRun, AFleetCountsNotVerifiedAsFailedAndCtrlCCutsTheCheckShort) {
    struct Recorder {
        EventLog log;
        FakeNetLink* net = nullptr;
    };
    ScratchDir scratch;
    FakeEventLoop loop;
    FakeClock clock;
    std::vector<std::unique_ptr<Recorder>> recorders;
    struct Ends : Reporter {
        void Ticked(std::span<RecorderRun* const>) override {}
        void Finished(const RecorderTarget& target, const RecorderResult& result) override {
            ends.push_back(target.name + " " + std::string(OutcomeName(result.outcome.kind)));
        }
        void Retrying(const RecorderTarget&, const RecorderResult&, std::uint32_t) override {
            ++retries;
        }
        std::vector<std::string> ends;
        int retries = 0;
    } reporter;
    for (const bool abort : {false, true}) {
        recorders.clear();
        reporter.ends.clear();
        UpdateRequest request;
        request.file = {scratch.Write("update.sh", std::string(100, 'u')), "update.sh", {}};
        request.expectVersion = "2.0.61";
        request.verifyTimeoutMs = kVerifyTimeoutMs;
        request.retries = 3;
        Secret password;
        std::string typed = "admin";
        password.Take(typed);
        int status = -1;
        Fleet fleet(
            {{0, "a", false}}, std::move(request), password, 1, loop, clock,
            [&recorders](const RecorderTarget&) {
                auto recorder = std::make_unique<Recorder>();
                auto net = std::make_unique<FakeNetLink>(recorder->log);
                recorder->net = net.get();
                recorders.push_back(std::move(recorder));
                return RecorderLinks{std::move(net),
                                     std::make_unique<FakeSerialLink>(recorders.back()->log)};
            },
            reporter, [&status](int exitStatus) { status = exitStatus; });
        fleet.Run();
        FakeNetLink& net = *recorders.at(0)->net;
        net.events_->OnConnect(0);
        net.Arrive(VersionReply("2.0.60"));
        net.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
        loop.Tick();
        loop.Tick();
        net.Arrive(Reply(STATUS_OK));
        net.Arrive(Reply(STATUS_OK));
        for (int tick = 0; tick < 100; ++tick) {
            clock.now += TICK_PERIOD_MS;
            loop.Tick();
            loop.RunPosted();
        }
        EXPECT_TRUE(reporter.ends.empty());
        if (abort) {
            fleet.Abort();
            EXPECT_EQ(reporter.ends, std::vector<std::string>{"a aborted"});
        } else {
            for (int tick = 0; tick < 400 && reporter.ends.empty(); ++tick) {
                clock.now += TICK_PERIOD_MS;
                loop.Tick();
                loop.RunPosted();
            }
            EXPECT_EQ(reporter.ends, std::vector<std::string>{"a not-verified"});
        }
        loop.RunPosted();
        EXPECT_EQ(status, 1);
        EXPECT_EQ(reporter.retries, 0);
        EXPECT_EQ(recorders.size(), 1u);
    }
}

}  // namespace
}  // namespace trelvo::testing
