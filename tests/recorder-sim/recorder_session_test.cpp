#include "tools/recorder-sim/recorder_session.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "client_stream.h"
#include "job/version_check.h"
#include "tools/recorder-sim/request_check.h"

namespace trelvo {
namespace {

class MemorySink : public FileSink {
public:
    explicit MemorySink(Bytes& kept) : kept_(kept) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        kept_.insert(kept_.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::optional<std::string> Commit() override { return "memory"; }
    std::string Error() const override { return {}; }

private:
    Bytes& kept_;
};

struct Outcome {
    bool intact = false;
    std::vector<Reply> replies;
    std::vector<Note> notes;

    std::vector<std::uint16_t> Statuses() const {
        std::vector<std::uint16_t> statuses;
        for (const Reply& reply : replies) {
            statuses.push_back(reply.status);
        }
        return statuses;
    }
    std::string NoteText(NoteKind kind) const {
        for (const Note& note : notes) {
            if (note.kind == kind) {
                return note.text;
            }
        }
        return {};
    }
};

Outcome Converse(const RecorderBehaviour& behaviour, const Bytes& stream,
                 std::size_t piece = SIZE_MAX, SinkFactory sinks = {}) {
    RecorderSession session(behaviour, std::move(sinks));
    Outcome outcome;
    outcome.intact = true;
    for (std::size_t at = 0; at < stream.size() && outcome.intact; at += piece) {
        outcome.intact =
            session.Feed(std::span(stream).subspan(at).first(std::min(piece, stream.size() - at)));
    }
    outcome.replies = session.TakeReplies();
    outcome.notes = session.TakeNotes();
    return outcome;
}

const Bytes kAbc = {'a', 'b', 'c'};
const std::string kAbcReceived =
    "file received 3 bytes "
    "sha256=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(RecorderSession, GoodExchangeByteForByte) {
    const RecorderBehaviour behaviour;
    const Outcome outcome = Converse(behaviour, ClientStream("admin", "1234", kAbc));
    ASSERT_TRUE(outcome.intact);
    ASSERT_EQ(outcome.replies.size(), 4u);
    // Version: number 20070 in `value` and in the four leading body bytes, then "2.0.60".
    EXPECT_EQ(outcome.replies[0].bytes,
              (Bytes{0x04, 0x00, 0x02, 0x00, 0xE2, 0xFC, 0x01, 0x00, 0x66, 0x4E,
                     0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0xA4, 0x02, 0x66, 0x4E,
                     0x00, 0x00, '2',  '.',  '0',  '.',  '6',  '0',  0x00}));
    EXPECT_EQ(outcome.replies[1].bytes,
              (Bytes{0x04, 0x00, 0x01, 0x00, 0xE2, 0xFC, 0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0xE7, 0x01}));
    EXPECT_EQ(outcome.replies[2].bytes,
              (Bytes{0x04, 0x00, 0x05, 0x00, 0xE2, 0xFC, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0xE8, 0x01}));
    EXPECT_EQ(outcome.replies[3].bytes,
              (Bytes{0x04, 0x00, 0x10, 0x00, 0xE2, 0xFC, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0xF3, 0x01}));
    EXPECT_EQ(outcome.NoteText(NoteKind::FileReceived), kAbcReceived);
    EXPECT_EQ(outcome.NoteText(NoteKind::Malformed), "");
    for (const Note& note : outcome.notes) {
        EXPECT_EQ(note.text.find("admin"), std::string::npos) << "password in the log";
    }
}

// A recorder told to hang up answers up to its step and takes nothing
// after it.
TEST(RecorderSession, HangsUpAtItsStep) {
    const struct {
        HangUpStep step;
        std::size_t replies;
        bool fileReceived;
    } cases[] = {
        {HangUpStep::Version, 0, false},    {HangUpStep::Password, 1, false},
        {HangUpStep::Descriptor, 2, false}, {HangUpStep::File, 2, false},
        {HangUpStep::Execute, 3, true},     {HangUpStep::Result, 4, true},
    };
    for (const auto& c : cases) {
        RecorderBehaviour behaviour;
        behaviour.hangUpAt = c.step;
        RecorderSession session(behaviour);
        EXPECT_TRUE(session.Feed(ClientStream("admin", "1234", kAbc)));
        EXPECT_TRUE(session.HangUpDue()) << static_cast<int>(c.step);
        EXPECT_EQ(session.TakeReplies().size(), c.replies) << static_cast<int>(c.step);
        bool received = false;
        for (const Note& note : session.TakeNotes()) {
            received = received || note.kind == NoteKind::FileReceived;
        }
        EXPECT_EQ(received, c.fileReceived) << static_cast<int>(c.step);
    }
    const RecorderBehaviour plain;
    RecorderSession unbothered(plain);
    unbothered.Feed(ClientStream("admin", "1234", kAbc));
    EXPECT_FALSE(unbothered.HangUpDue());
}

TEST(RecorderSession, TheToolWouldAcceptEveryGoodReply) {
    const RecorderBehaviour behaviour;
    const Outcome outcome = Converse(behaviour, ClientStream("admin", "1234", kAbc));
    for (const Reply& reply : outcome.replies) {
        MessageHeader::Wire wire{};
        std::copy_n(reply.bytes.begin(), HEADER_SIZE, wire.begin());
        MessageHeader header = MessageHeader::FromBytes(wire);
        EXPECT_EQ(header.magic, HEADER_MAGIC);
        EXPECT_TRUE(header.ValidateReply());
        EXPECT_EQ(header.bodyLength, reply.bytes.size() - HEADER_SIZE);
    }
    const std::string versionText(outcome.replies[0].bytes.begin() + HEADER_SIZE + 4,
                                  outcome.replies[0].bytes.end() - 1);
    EXPECT_TRUE(CheckVersionText(versionText));
}

TEST(RecorderSession, SerialVersionQueryGetsTheNumberInValue) {
    RecorderBehaviour behaviour;
    behaviour.versionNumber = 20069;
    const Outcome outcome = Converse(behaviour, Request(CMD_GET_VERSION, VERSION_QUERY_SERIAL));
    ASSERT_EQ(outcome.replies.size(), 1u);
    EXPECT_EQ(GetU32(&outcome.replies[0].bytes[8]), 20069u);
    EXPECT_EQ(outcome.replies[0].bytes.size(), HEADER_SIZE);
}

TEST(RecorderSession, OldVersionTextIsSentAsConfigured) {
    RecorderBehaviour behaviour;
    behaviour.versionText = "2.0.59";
    const Outcome outcome = Converse(behaviour, Request(CMD_GET_VERSION, VERSION_QUERY_NETWORK));
    ASSERT_EQ(outcome.replies.size(), 1u);
    const Bytes& reply = outcome.replies[0].bytes;
    EXPECT_EQ(std::string(reply.begin() + HEADER_SIZE + 4, reply.end()),
              std::string("2.0.59\0", 7));
}

struct Refusal {
    std::string name;
    void (*configure)(RecorderBehaviour&);
    std::string password;
    std::string code;
    std::uint32_t access;
    std::vector<std::uint16_t> statuses;  // version, access, transfer, result
};

TEST(RecorderSession, RefusalsGiveTheirStatus) {
    const Refusal refusals[] = {
        {"wrong password", [](RecorderBehaviour&) {}, "guess", "c", ACCESS_NONE, {1, 1, 17, 16}},
        {"no administrator",
         [](RecorderBehaviour& b) { b.access = 2; },
         "admin",
         "c",
         2,
         {1, 1, 17, 16}},
        {"transfer refused",
         [](RecorderBehaviour& b) { b.transferStatus = 16; },
         "admin",
         "c",
         3,
         {1, 1, 16, 16}},
        {"bad update code",
         [](RecorderBehaviour& b) { b.updateCode = "secret"; },
         "admin",
         "wrong",
         3,
         {1, 1, 1, 3}},
        {"right update code",
         [](RecorderBehaviour& b) { b.updateCode = "secret"; },
         "admin",
         "secret",
         3,
         {1, 1, 1, 1}},
        {"update failed",
         [](RecorderBehaviour& b) { b.resultStatus = 17; },
         "admin",
         "c",
         3,
         {1, 1, 1, 17}},
    };
    for (const Refusal& refusal : refusals) {
        RecorderBehaviour behaviour;
        refusal.configure(behaviour);
        const Outcome outcome =
            Converse(behaviour, ClientStream(refusal.password, refusal.code, kAbc));
        EXPECT_TRUE(outcome.intact) << refusal.name;
        EXPECT_EQ(outcome.Statuses(), refusal.statuses) << refusal.name;
        ASSERT_EQ(outcome.replies.size(), 4u) << refusal.name;
        EXPECT_EQ(GetU32(&outcome.replies[1].bytes[8]), refusal.access) << refusal.name;
    }
}

TEST(RecorderSession, ExecuteForAnotherPathIsABadUpdateFile) {
    const RecorderBehaviour behaviour;
    const Bytes stream =
        Concat({ClientStream("admin", "c", kAbc, "/tmp/a.sh"),
                Request(CMD_EXECUTE_UPDATE, 0, BuildExecuteBody("/tmp/b.sh", "c"))});
    EXPECT_EQ(Converse(behaviour, stream).Statuses(), (std::vector<std::uint16_t>{1, 1, 1, 1, 16}));
}

// Sets a u16 header field and, unless told otherwise, a matching checksum.
Bytes WithField(Bytes request, std::size_t offset, std::uint16_t value, bool fixSum = true) {
    request[offset] = static_cast<std::uint8_t>(value & 0xFF);
    request[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    if (fixSum) {
        MessageHeader::Wire wire{};
        std::copy_n(request.begin(), HEADER_SIZE, wire.begin());
        const std::uint16_t sum = HeaderChecksum(MessageHeader::FromBytes(wire));
        request[16] = static_cast<std::uint8_t>(sum & 0xFF);
        request[17] = static_cast<std::uint8_t>(sum >> 8);
    }
    return request;
}

TEST(RecorderSession, MalformedRequestsAreRejected) {
    const Bytes version = Request(CMD_GET_VERSION, VERSION_QUERY_NETWORK);
    const Bytes descriptor = BuildFileDescriptorBody("/tmp/a.sh", 3);
    const Bytes execute = BuildExecuteBody("/tmp/a.sh", "c");
    const struct {
        std::string name;
        Bytes stream;
    } cases[] = {
        {"lead", WithField(version, 0, 5)},
        {"magic", WithField(version, 4, 0xFCE3)},
        {"status", WithField(version, 6, 1)},
        {"checksum", WithField(version, 16, 0x01E9, false)},
        {"unknown command", WithField(version, 2, 9)},
        {"version value", Request(CMD_GET_VERSION, 5)},
        {"version with a body", Request(CMD_GET_VERSION, VERSION_QUERY_NETWORK, {0})},
        {"empty password body", Request(CMD_PASSWORD, 0)},
        {"password without NUL", Request(CMD_PASSWORD, 0, {'a', 'b'})},
        {"password with two NULs", Request(CMD_PASSWORD, 0, {'a', 0, 'b', 0})},
        {"body too long", WithField(Request(CMD_PASSWORD, 0), 14, 0x0010)},
        {"descriptor record overruns",
         Request(CMD_FILE_DESCRIPTOR, 0, Bytes(descriptor.begin(), descriptor.end() - 6))},
        {"descriptor without terminator",
         Request(CMD_FILE_DESCRIPTOR, 0, Bytes(descriptor.begin(), descriptor.end() - 4))},
        {"descriptor size record of 2 bytes",
         Request(CMD_FILE_DESCRIPTOR, 0,
                 Concat({Bytes(descriptor.begin(), descriptor.begin() + 14),
                         {2, 0, 2, 0, 3, 0, 0, 0, 0xFF, 0xFF}}))},
        {"bytes after the terminator", Request(CMD_FILE_DESCRIPTOR, 0, Concat({descriptor, {0}}))},
        {"execute without update code",
         Request(CMD_EXECUTE_UPDATE, 0,
                 Concat({Bytes(execute.begin(), execute.begin() + 16), {0, 0, 0xFF, 0xFF}}))},
        {"execute with unknown argument",
         Request(CMD_EXECUTE_UPDATE, 0, WithField(execute, 4, 7, false))},
    };
    for (const auto& bad : cases) {
        const Outcome outcome = Converse(RecorderBehaviour{}, bad.stream);
        EXPECT_FALSE(outcome.intact) << bad.name;
        EXPECT_TRUE(outcome.replies.empty()) << bad.name;
        EXPECT_NE(outcome.NoteText(NoteKind::Malformed), "") << bad.name;
    }
}

TEST(RecorderSession, FileBytesArriveIntactInAnyPieces) {
    Bytes file(100000);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 31 + i / 251);
    }
    const RecorderBehaviour behaviour;
    const Bytes stream = ClientStream("admin", "c", file);
    const Outcome whole = Converse(behaviour, stream);
    for (const std::size_t piece : {1, 7, 17, 18, 19, 4096, 65537}) {
        Bytes kept;
        const Outcome pieces =
            Converse(behaviour, stream, piece, [&kept](const std::string&, std::uint32_t) {
                return std::make_unique<MemorySink>(kept);
            });
        EXPECT_TRUE(pieces.intact) << piece;
        EXPECT_EQ(kept, file) << piece;
        ASSERT_EQ(pieces.replies.size(), whole.replies.size()) << piece;
        for (std::size_t i = 0; i < whole.replies.size(); ++i) {
            EXPECT_EQ(pieces.replies[i].bytes, whole.replies[i].bytes) << piece;
        }
        EXPECT_EQ(pieces.NoteText(NoteKind::FileReceived), whole.NoteText(NoteKind::FileReceived));
    }
}

TEST(RecorderSession, SaysWhereAClientStoppedMidTransfer) {
    const RecorderBehaviour behaviour;
    RecorderSession session(behaviour);
    session.Feed(Concat(
        {Request(CMD_FILE_DESCRIPTOR, 0, BuildFileDescriptorBody("/tmp/a.sh", 10)), {1, 2, 3, 4}}));
    EXPECT_EQ(session.UnfinishedWork(), "during the file transfer, 4 of 10 bytes received");
}

TEST(RecorderSession, ResyncReadsOnAfterGarbage) {
    const RecorderBehaviour behaviour;
    RecorderSession session(behaviour);
    EXPECT_FALSE(session.Feed(Bytes(HEADER_SIZE, 0x55)));
    EXPECT_FALSE(session.Feed(Request(CMD_GET_VERSION, VERSION_QUERY_SERIAL)));
    session.Resync();
    EXPECT_TRUE(session.Feed(Request(CMD_GET_VERSION, VERSION_QUERY_SERIAL)));
    EXPECT_EQ(session.TakeReplies().size(), 1u);
}

TEST(Printable, EscapesWhatCouldBreakALogLine) {
    EXPECT_EQ(Printable("/tmp/a b.sh"), "/tmp/a b.sh");
    EXPECT_EQ(Printable("a\nb\\\xE4"), "a\\x0Ab\\x5C\\xE4");
}

}  // namespace
}  // namespace trelvo
