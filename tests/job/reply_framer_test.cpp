#include "job/reply_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job_fakes.h"

namespace trelvo {
namespace {

using namespace trelvo::testing;
using Step = ReplyFramer::Step;

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())));
}

// An accepted header that announces a body of `bodyLength` bytes.
Bytes Header(std::uint32_t bodyLength) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, 0, 0, bodyLength);
    header.status = STATUS_OK;
    const MessageHeader::Wire wire = header.ToBytes();
    return Bytes(wire.begin(), wire.end());
}

// The framer reading a serial line, which counts and hands out exactly the
// bytes that have arrived.
class ReplyFramerTest : public ::testing::Test {
protected:
    // Each arrival, then framing until nothing more can be taken: one letter
    // per step, W(aiting), T(aken), R(eply), B(roken).
    std::string Frame(const std::vector<Bytes>& arrivals) {
        std::string steps;
        for (const Bytes& arrival : arrivals) {
            serial.inbox.Add(arrival);
            Step step = Step::Taken;
            while (step == Step::Taken || step == Step::Reply) {
                step = framer.Next(link);
                steps += "WTRB"[static_cast<int>(step)];
            }
        }
        return steps;
    }

    EventLog log;
    FakeSerialLink serial{log};
    SerialJobLink link{serial};
    ReplyFramer framer;
};

TEST_F(ReplyFramerTest, TakesEachPieceOnlyOnceAllOfItIsThere) {
    const Bytes bare = Reply(STATUS_OK, ACCESS_ADMIN);
    const Bytes withBody = VersionReply("2.0.60");
    struct Case {
        const char* name;
        std::vector<Bytes> arrivals;
        const char* steps;
    };
    const Case cases[] = {
        {"header alone, one read", {bare}, "RW"},
        {"header and body, one read", {withBody}, "TRW"},
        {"header split", {Slice(bare, 0, 5), Slice(bare, 5, 17), Slice(bare, 17, 18)}, "WWRW"},
        {"body split",
         {Slice(withBody, 0, 20), Slice(withBody, 20, 24), Slice(withBody, 24, 99)},
         "TWWRW"},
        {"two replies, one read", {Concat({bare, withBody})}, "RTRW"},
        {"a reply and half the next", {Concat({withBody, Slice(bare, 0, 9)})}, "TRW"},
        // Bytes of another protocol are taken and never handed on.
        {"other magic", {Reply(STATUS_OK, 0, Bytes(6, 1), 0x1234)}, "TTW"},
        // A refused header is handed on at once; what it announced is taken
        // for the next header.
        {"refused header's body", {Reply(3, 0, Bytes(20, 0))}, "RTW"},
        {"all zeros", {Bytes(HEADER_SIZE, 0)}, "TW"},
        {"body too large", {Header(MAX_REPLY_BODY + 1)}, "B"},
        {"largest body awaited", {Header(MAX_REPLY_BODY)}, "TW"},
    };
    for (const Case& c : cases) {
        framer = ReplyFramer{};
        serial.inbox.Clear();
        EXPECT_EQ(Frame(c.arrivals), c.steps) << c.name;
    }
}

TEST_F(ReplyFramerTest, ReadsAskForAHeaderThenExactlyItsBody) {
    ASSERT_EQ(Frame({Concat({Reply(STATUS_OK, 0, Bytes(7, 'b')), Reply(STATUS_OK)})}), "TRRW");
    EXPECT_EQ(serial.reads, (std::vector<std::uint32_t>{18, 7, 18}));
    EXPECT_EQ(framer.bytesTaken(), 18u + 7u + 18u);
}

TEST_F(ReplyFramerTest, BodyIsTheCurrentRepliesOwnAndTheBufferOnlyGrows) {
    ASSERT_EQ(Frame({Reply(STATUS_OK, 0, Bytes(40, 'a'))}), "TRW");
    EXPECT_EQ(framer.body().size(), 40u);
    EXPECT_EQ(framer.capacity(), 40u);

    ASSERT_EQ(Frame({Reply(STATUS_OK, 9, Bytes(10, 'b'))}), "TRW");
    EXPECT_EQ(Bytes(framer.body().begin(), framer.body().end()), Bytes(10, 'b'));
    EXPECT_EQ(framer.header().value, 9u);
    EXPECT_EQ(framer.capacity(), 40u);

    ASSERT_EQ(Frame({Reply(STATUS_OK)}), "RW");
    EXPECT_TRUE(framer.body().empty());
    EXPECT_TRUE(framer.accepted());

    // A refused reply's announced body is never read, so it has none.
    ASSERT_EQ(Frame({Reply(STATUS_UPDATE_FAILED, 0, Bytes(5, 'c'))}), "RW");
    EXPECT_TRUE(framer.body().empty());
    EXPECT_FALSE(framer.accepted());
    EXPECT_EQ(framer.header().status, STATUS_UPDATE_FAILED);
}

TEST_F(ReplyFramerTest, BytesTheLinkLosesNeverLeaveAStaleReply) {
    const Bytes reply = Reply(STATUS_OK, ACCESS_ADMIN, Bytes(4, 'x'));
    for (const std::size_t lostAt : {0u, 1u}) {  // the header's read, or the body's
        framer = ReplyFramer{};
        ASSERT_EQ(Frame({Reply(STATUS_OK, ACCESS_ADMIN)}), "RW");
        serial.inbox.Add(reply);
        if (lostAt == 1) {
            ASSERT_EQ(framer.Next(link), Step::Taken);
        }
        serial.failNextRead = true;
        EXPECT_EQ(framer.Next(link), Step::Broken) << lostAt;
        EXPECT_EQ(framer.header().status, 0) << lostAt;
        EXPECT_EQ(framer.header().value, 0u) << lostAt;
        EXPECT_FALSE(framer.accepted()) << lostAt;
        serial.inbox.Clear();
    }
}

TEST_F(ReplyFramerTest, ResetDropsAHalfReadReply) {
    const Bytes reply = VersionReply("2.0.60");
    ASSERT_EQ(Frame({Slice(reply, 0, 22)}), "TW");
    serial.inbox.Clear();
    framer.Reset();
    EXPECT_EQ(Frame({reply}), "TRW");
    EXPECT_EQ(framer.body().size(), reply.size() - HEADER_SIZE);
}

}  // namespace
}  // namespace trelvo
