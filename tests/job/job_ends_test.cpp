// How every end of a job is reported: one outcome per end, the message that
// goes with it, and the ends the job finds by itself (a silent recorder, a
// failed line).
#include <functional>
#include <string>

#include "update_job_fixture.h"

namespace trelvo::testing {
namespace {

using JobEndsTest = UpdateJobTest;

TEST_F(JobEndsTest, EveryEndReportsOneOutcomeWithItsMessage) {
    WriteFile("empty.sh", 0);
    struct Case {
        const char* what;
        std::function<void()> run;
        JobOutcome outcome;
        const char* message;  // nullptr: none shown
    };
    const auto replyIn = [this](JobState state, const Bytes& reply) {
        return [this, state, reply] {
            NetworkJobIn(state);
            net.Arrive(reply);
        };
    };
    const Case cases[] = {
        {"success",
         replyIn(JobState::AwaitResult, Reply(STATUS_OK)),
         {Outcome::Succeeded},
         kSuccess},
        {"missing file",
         [this] { job.StartNetwork("missing.sh", "pw", "C", "r", 1); },
         {Outcome::FileNotFound},
         "Gewählte Datei konnte nicht gefunden werden"},
        {"empty file",
         [this] { job.StartSerial("empty.sh", "pw", "C", 1, 9600); },
         {Outcome::FileEmpty},
         "Gewählte Datei hat keinen Inhalt"},
        {"long code",
         [this] { StartNetwork("pw", std::string(70000, 'c')); },
         {Outcome::CodeTooLong},
         "Update Code ist zu lang"},
        {"connect",
         [this] {
             StartNetwork();
             net.events_->OnConnect(111);
         },
         {Outcome::ConnectFailed},
         kConnectFailed},
        {"port",
         [this] {
             serial.openSucceeds = false;
             job.StartSerial("a.sh", "pw", "C", 2, 9600);
         },
         {Outcome::PortUnavailable},
         "Verbindungsfehler - COM Port nicht ansprechbar"},
        {"version",
         replyIn(JobState::AwaitVersion, VersionReply("2.0.59")),
         {Outcome::VersionRefused},
         kVersionRefused},
        {"access",
         replyIn(JobState::AwaitAccess, Reply(STATUS_OK, 2)),
         {Outcome::AccessDenied},
         kAccessDenied},
        {"transfer",
         replyIn(JobState::Transfer, Reply(16)),
         {Outcome::TransferFailed},
         kTransferFailed},
        {"refused",
         replyIn(JobState::AwaitResult, Reply(STATUS_UPDATE_FAILED)),
         {Outcome::RefusedByRecorder, STATUS_UPDATE_FAILED},
         "Die Aktualisierung konnte nicht durchgeführt werden"},
        {"hang-up",
         [this] {
             NetworkJobIn(JobState::AwaitAccess);
             net.HangUpBy(FakeNetLink::HangUp::Fin);
         },
         {Outcome::ConnectionLost},
         kConnectionLost},
        {"abort",
         [this] {
             NetworkJobIn(JobState::Transfer);
             job.Close();
         },
         {Outcome::Aborted},
         nullptr},
    };
    for (const Case& c : cases) {
        owner.outcomes.clear();
        messages.shown.clear();
        serial.openSucceeds = true;
        c.run();
        EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{c.outcome}) << c.what;
        const std::vector<std::string> shown =
            c.message == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.message};
        EXPECT_EQ(messages.shown, shown) << c.what;
        EXPECT_EQ(OutcomeMessage(c.outcome), c.message == nullptr ? "" : c.message) << c.what;
        EXPECT_EQ(job.state(), JobState::Idle) << c.what;
    }
}

// The recorder answers nothing for the time-out, wherever the job waits on i
TEST_F(JobEndsTest, ASilentRecorderTimesOutInEveryWaitingState) {
    for (const JobState state :
         {JobState::Connecting, JobState::AwaitVersion, JobState::AwaitAccess, JobState::Transfer,
          JobState::AwaitResult}) {
        job.SetReplyTimeout(2000);
        job.SetResultTimeout(2000);
        if (state == JobState::Connecting) {
            ASSERT_TRUE(StartNetwork());
        } else {
            NetworkJobIn(state);
        }
        net.pendingBytes = 1;  // nothing the job hands over leaves either
        owner.outcomes.clear();
        Events();
        clock.now += 1999;
        job.PumpTransfer();
        EXPECT_EQ(job.state(), state) << static_cast<int>(state);
        clock.now += 1;
        job.PumpTransfer();
        EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on",
                                      "show Zeitüberschreitung - Rekorder antwortet nicht"}))
            << static_cast<int>(state);
        EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::TimedOut}});
        net.pendingBytes = 0;
    }
}

// Blocks the link passes on show the recorder is taking the file; bytes
// that come in without making a reply show nothing: a device that keeps
// talking still times out when its reply is due.
TEST_F(JobEndsTest, OnlyBlocksTakenPutTheDeadlineOffNotBytesThatMakeNoReply) {
    WriteFile("a.sh", 5000);
    job.SetReplyTimeout(1000);
    ASSERT_NO_FATAL_FAILURE(NetworkJobIn(JobState::Transfer));
    // A transfer that drains block by block, 900 ms apart, never times out.
    while (job.blocksSent() <= job.blockCount()) {
        clock.now += 900;
        job.PumpTransfer();
        ASSERT_EQ(job.state(), JobState::Transfer);
    }
    // The reply to the file trickles in a byte every 300 ms: whole after
    // 5.4 s, far past its deadline 1 s after the last block.
    const Bytes reply = Reply(STATUS_OK);
    std::uint32_t waited = 0;
    for (std::size_t at = 0; at + 1 < reply.size() && job.state() == JobState::Transfer; ++at) {
        clock.now += 300;
        waited += 300;
        net.Arrive(Bytes{reply[at]});
        job.PumpTransfer();
    }
    EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::TimedOut}});
    EXPECT_EQ(job.endedIn(), JobState::Transfer);
    EXPECT_EQ(waited, 1200u);

    // Every reply's deadline counts from its request, whatever came before.
    for (const JobState state : {JobState::AwaitVersion, JobState::AwaitAccess}) {
        owner.outcomes.clear();
        NetworkJobIn(state);
        for (int tick = 0; tick < 3; ++tick) {
            clock.now += 300;
            net.Arrive(Bytes{0});
            job.PumpTransfer();
        }
        EXPECT_EQ(job.state(), state) << static_cast<int>(state);
        clock.now += 100;
        job.PumpTransfer();
        EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::TimedOut}})
            << static_cast<int>(state);
    }
}

TEST_F(JobEndsTest, WithoutATimeOutTheJobWaitsForEver) {
    NetworkJobIn(JobState::AwaitVersion);
    clock.now += 0xF0000000u;
    job.PumpTransfer();
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
}

// A line that fails under a write (adapter pulled out, hang-up) ends the job
// on the next tick, wherever it stood; nothing more is streamed into it.
TEST_F(JobEndsTest, AFailedSerialLineEndsTheJobAsALostConnection) {
    WriteFile("a.sh", 5000);
    // The password is refused, or the third file block is.
    for (const std::int32_t goodBlocks : {-1, 2}) {
        ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
        serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
        serial.inbox.Add(Reply(STATUS_OK, ACCESS_ADMIN));
        owner.outcomes.clear();
        Events();
        for (int tick = 0; tick < 20 && job.state() != JobState::Idle; ++tick) {
            serial.failWrites = job.blocksSent() >= goodBlocks;
            job.PumpTransfer();
        }
        EXPECT_EQ(Events(), (EventLog{"serial.Close", "inputs on",
                                      "show Verbindung zum Rekorder unterbrochen"}))
            << goodBlocks;
        EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::ConnectionLost}});
        // The refused block is the last one the job tried.
        EXPECT_EQ(job.blocksSent(), std::max(goodBlocks + 1, 0));
        serial.failWrites = false;
    }
}

// A line that hangs up with a whole reply still waiting on it: the reply
// is read first, one piece per tick, and only then does the job end. Here
// the recorder refused the password and the result is that refusal.
TEST_F(JobEndsTest, ASerialHangUpEndsTheJobOnlyAfterWhatCameBefore) {
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
    serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION, Bytes(6, 'v')));
    serial.failed = true;
    job.PumpTransfer();  // the header
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    job.PumpTransfer();  // the body: the version is accepted and the password goes nowhere
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
    EXPECT_TRUE(owner.outcomes.empty());
    serial.inbox.Add(Bytes(10, 0));  // half a header never becomes a reply
    job.PumpTransfer();
    EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::ConnectionLost}});
    EXPECT_EQ(job.endedIn(), JobState::AwaitAccess);
}

// Every state has the time-out of its own phase: the reply to the execute
// request may take as long as the recorder needs to carry out the update.
TEST_F(JobEndsTest, TheResultHasATimeOutOfItsOwn) {
    job.SetReplyTimeout(30000);
    job.SetResultTimeout(1800000);
    NetworkJobIn(JobState::Transfer);
    clock.now += 29999;
    job.PumpTransfer();
    job.PumpTransfer();
    net.Arrive(Reply(STATUS_OK));
    ASSERT_EQ(job.state(), JobState::AwaitResult);
    clock.now += 30000;
    job.PumpTransfer();
    EXPECT_EQ(job.state(), JobState::AwaitResult);
    clock.now += 1800000 - 30000 - 1;
    job.PumpTransfer();
    EXPECT_EQ(job.state(), JobState::AwaitResult);
    clock.now += 1;
    job.PumpTransfer();
    EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::TimedOut}});
    EXPECT_EQ(job.endedIn(), JobState::AwaitResult);

    // 0 waits for ever for the result, whatever the other limit.
    job.SetResultTimeout(0);
    NetworkJobIn(JobState::AwaitResult);
    clock.now += 0xF0000000u;
    job.PumpTransfer();
    EXPECT_EQ(job.state(), JobState::AwaitResult);
}

// Bytes the line has not yet passed on hold back the next block.
TEST_F(JobEndsTest, ASerialLineThatHoldsItsBytesHoldsTheTransfer) {
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
    serial.holdWrites = true;
    serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
    serial.inbox.Add(Reply(STATUS_OK, ACCESS_ADMIN));
    for (int tick = 0; tick < 5; ++tick) {
        job.PumpTransfer();
    }
    EXPECT_EQ(job.state(), JobState::Transfer);
    EXPECT_EQ(job.blocksSent(), 0);
    serial.outputEmpty = true;
    job.PumpTransfer();
    EXPECT_EQ(job.blocksSent(), 1);
}

TEST_F(JobEndsTest, BytesWaitingOnTheLineBeforeTheStartAreNotTakenForAReply) {
    serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
    job.PumpTransfer();
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
}

// The file is opened where it lies; the recorder is told only its name.
TEST_F(JobEndsTest, LocalPathAndRemoteNameAreApart) {
    fs::create_directory("sub");
    WriteFile("sub/local.sh", std::string(10, 'L'));
    ASSERT_TRUE(job.StartNetwork(UpdateSource{"sub/local.sh", "remote.sh", {}}, "pw", "CODE", "r",
                                 UPDATE_PORT));
    net.events_->OnConnect(0);
    net.Arrive(VersionReply("2.0.60"));
    net.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
    // File descriptor body: the remote path, then the size; the file follows.
    const std::string expectedPath = "/tmp/remote.sh";
    const Bytes announced = net.AllSent();
    const std::string sent(announced.begin(), announced.end());
    EXPECT_NE(sent.find(expectedPath), std::string::npos);
    job.PumpTransfer();
    job.PumpTransfer();
    const Bytes all = net.AllSent();
    EXPECT_EQ(std::string(all.end() - 10, all.end()), std::string(10, 'L'));
}

// Bytes read once for a fleet are what goes out, whatever lies at the path
// by now, and they are counted with their own size.
TEST_F(JobEndsTest, SharedBytesAreSentInsteadOfThePath) {
    WriteFile("a.sh", std::string(10, 'D'));
    const auto shared = std::make_shared<const Bytes>(Bytes(7, 'S'));
    ASSERT_TRUE(
        job.StartNetwork(UpdateSource{"a.sh", "a.sh", shared}, "pw", "CODE", "r", UPDATE_PORT));
    net.events_->OnConnect(0);
    net.Arrive(VersionReply("2.0.60"));
    net.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
    const std::size_t announced = net.AllSent().size();
    job.PumpTransfer();
    job.PumpTransfer();
    const Bytes all = net.AllSent();
    EXPECT_EQ(Bytes(all.begin() + static_cast<std::ptrdiff_t>(announced), all.end()), *shared);
    EXPECT_EQ(job.fileBytesSent(), 7u);
}

}  // namespace
}  // namespace trelvo::testing
