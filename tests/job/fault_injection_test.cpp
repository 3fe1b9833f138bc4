// Recorders that hang up at any point, send noise or answer twice: the job
// never reports a success the recorder did not give, and the abort always
// gives the inputs back.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "update_job_fixture.h"

namespace trelvo {
namespace {

using namespace trelvo::testing;

// What the tool sends, by request: header and body.
constexpr std::size_t kQueryBytes = 18;
constexpr std::size_t kPasswordBytes = 18 + sizeof "secret";
constexpr std::size_t kFileBytes = 18 + 26 + kFileSize;  // the descriptor and the file
constexpr std::size_t kToolBytes = kQueryBytes + kPasswordBytes + kFileBytes + 18 + 31;

// A good recorder's replies to the four requests, in order.
std::vector<Bytes> GoodReplies() {
    return {VersionReply("2.0.60"), Reply(STATUS_OK, ACCESS_ADMIN), Reply(STATUS_OK),
            Reply(STATUS_OK)};
}

class FaultInjectionTest : public UpdateJobTest {
protected:
    std::size_t SentBytes() const {
        std::size_t total = 0;
        for (const Bytes& send : net.sends) {
            total += send.size();
        }
        return total;
    }

    // Runs an update against a recorder that takes `toolCut` bytes of what
    // the tool sends and sends `recorderCut` bytes of its replies, then hangs
    // up. Each reply goes out once its request (and for the transfer reply,
    // the file) has been taken in full. Checks how the job ended; returns
    // whether it succeeded.
    bool RunCutExchange(std::size_t toolCut, std::size_t recorderCut, FakeNetLink::HangUp how) {
        // Where in the tool's byte stream each reply is due: after the
        // version query, the password, the descriptor with the file, and the
        // execute request.
        const std::size_t replyDue[] = {kQueryBytes, kQueryBytes + kPasswordBytes,
                                        kQueryBytes + kPasswordBytes + kFileBytes, kToolBytes};
        const std::vector<Bytes> replies = GoodReplies();
        std::size_t repliesSent = 0;
        std::size_t recorderBytes = 0;
        owner.outcomes.clear();
        messages.shown.clear();
        net.sends.clear();
        EXPECT_TRUE(StartNetwork("secret", "CODE"));
        net.events_->OnConnect(0);
        for (int tick = 0; tick < 20 && job.state() != JobState::Idle; ++tick) {
            const std::size_t taken = std::min(SentBytes(), toolCut);
            net.pendingBytes = SentBytes() > toolCut ? 1 : 0;
            while (repliesSent < replies.size() && taken >= replyDue[repliesSent]) {
                const Bytes& reply = replies[repliesSent++];
                const std::size_t room = recorderCut - std::min(recorderCut, recorderBytes);
                const std::size_t n = std::min(room, reply.size());
                recorderBytes += n;
                net.Arrive(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n)));
                if (n < reply.size() || job.state() == JobState::Idle) {
                    break;
                }
            }
            if ((recorderBytes >= recorderCut || taken >= toolCut) &&
                net.hungUp == FakeNetLink::HangUp::None && job.state() != JobState::Idle) {
                net.HangUpBy(how);
            }
            job.PumpTransfer();
        }
        const bool succeeded = owner.outcomes == std::vector<JobOutcome>{{Outcome::Succeeded}};
        if (!succeeded) {
            // The hang-up itself ends the job, once, and says why.
            EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::ConnectionLost}});
            EXPECT_EQ(messages.shown, std::vector<std::string>{kConnectionLost});
        } else {
            EXPECT_EQ(messages.shown, std::vector<std::string>{kSuccess});
        }
        EXPECT_EQ(job.state(), JobState::Idle);
        // The success is shown before the close, a failure after it.
        EXPECT_EQ(log.back(), succeeded ? "inputs on" : "show " + std::string(kConnectionLost));
        net.pendingBytes = 0;
        return succeeded;
    }
};

TEST_F(FaultInjectionTest, AHangUpAtAnyByteNeverPassesForSuccess) {
    std::size_t recorderTotal = 0;
    for (const Bytes& reply : GoodReplies()) {
        recorderTotal += reply.size();
    }
    const std::size_t toolTotal = kToolBytes;
    for (const auto how : {FakeNetLink::HangUp::Fin, FakeNetLink::HangUp::Rst}) {
        for (std::size_t cut = 0; cut <= recorderTotal; ++cut) {
            EXPECT_EQ(RunCutExchange(toolTotal, cut, how), cut == recorderTotal)
                << "recorder hangs up after " << cut << " of its bytes";
        }
        for (std::size_t cut = 0; cut <= toolTotal; ++cut) {
            EXPECT_EQ(RunCutExchange(cut, recorderTotal, how), cut == toolTotal)
                << "recorder hangs up after " << cut << " bytes from the tool";
        }
    }
}

// A hang-up ends the job at once, in every state that waits on the
// recorder, without waiting for a time-out; the state it ended in is kept.
TEST_F(FaultInjectionTest, AHangUpEndsTheJobAtOnceInEveryState) {
    job.SetReplyTimeout(1000);
    for (const auto how : {FakeNetLink::HangUp::Fin, FakeNetLink::HangUp::Rst}) {
        for (const JobState state : {JobState::AwaitVersion, JobState::AwaitAccess,
                                     JobState::Transfer, JobState::AwaitResult}) {
            NetworkJobIn(state);
            owner.outcomes.clear();
            messages.shown.clear();
            Events();
            net.HangUpBy(how);
            EXPECT_EQ(Events(),
                      (EventLog{"net.Close", "inputs on", "show " + std::string(kConnectionLost)}))
                << static_cast<int>(state);
            EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::ConnectionLost}});
            EXPECT_EQ(job.endedIn(), state);
            // Nothing more happens on the next ticks, nor on a second notice.
            net.HangUpBy(how);
            job.PumpTransfer();
            EXPECT_EQ(owner.outcomes.size(), 1u);
        }
    }
}

// The recorder answers the execute request and hangs up while the operator
// reads the success: that stays a success, reported once.
TEST_F(FaultInjectionTest, AHangUpAfterTheResultLeavesTheSuccess) {
    NetworkJobIn(JobState::AwaitResult);
    messages.whileOpen = [this] { net.HangUpBy(FakeNetLink::HangUp::Fin); };
    net.Arrive(Reply(STATUS_OK));
    EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{Outcome::Succeeded}});
    EXPECT_EQ(messages.shown, std::vector<std::string>{kSuccess});
    EXPECT_EQ(job.state(), JobState::Idle);
}

// The framing reads whole headers: noise shifts the stream, a header
// without the magic is passed over, and one with it is judged as the reply.
TEST_F(FaultInjectionTest, NoiseBeforeASerialReplyIsNeverTakenForIt) {
    struct Case {
        Bytes noise;
        JobState after;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        // Out of step: the rest of the reply is too short for a header.
        {{0x00}, JobState::AwaitVersion, {}},
        {Bytes(17, 0x55), JobState::AwaitVersion, {}},
        {Bytes(40, 0xE2), JobState::AwaitVersion, {}},
        // A whole header of noise is passed over and the reply read after it.
        {Bytes(18, 0x55), JobState::AwaitAccess, {}},
        // Noise that looks like a refusing reply is taken as one.
        {Reply(0, MIN_SERIAL_VERSION), JobState::Idle, {kVersionRefused}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 115200));
        serial.inbox.Add(c.noise);
        serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
        for (int tick = 0; tick < 10; ++tick) {
            job.PumpTransfer();
        }
        EXPECT_EQ(job.state(), c.after) << c.noise.size();
        EXPECT_EQ(messages.shown, c.messages) << c.noise.size();
        job.Close();
        EXPECT_EQ(log.back(), "inputs on");
        messages.shown.clear();
        serial.inbox.Clear();
    }
}

TEST_F(FaultInjectionTest, ARecorderThatAnswersTwiceNeverCausesAFalseSuccess) {
    for (const bool overSerial : {false, true}) {
        std::vector<Bytes> replies = GoodReplies();
        if (overSerial) {
            replies[0] = Reply(STATUS_OK, MIN_SERIAL_VERSION);
            ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 115200));
        } else {
            ASSERT_TRUE(StartNetwork());
            net.events_->OnConnect(0);
        }
        for (std::size_t i = 0; i < replies.size() && job.state() != JobState::Idle; ++i) {
            for (int copy = 0; copy < 2; ++copy) {
                if (overSerial) {
                    serial.inbox.Add(replies[i]);
                } else {
                    net.Arrive(replies[i]);
                }
            }
            for (int tick = 0; tick < 5; ++tick) {
                job.PumpTransfer();
            }
        }
        // The second copy of the version reply is read as the access reply,
        // which grants nothing: the update stops there, with its reason.
        EXPECT_EQ(job.state(), JobState::Idle);
        EXPECT_EQ(messages.shown, std::vector<std::string>{kAccessDenied});
        messages.shown.clear();
        serial.inbox.Clear();
    }
}

}  // namespace
}  // namespace trelvo
