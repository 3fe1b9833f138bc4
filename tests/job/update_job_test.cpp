#include "job/update_job.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "test_platform.h"
#include "update_job_fixture.h"

namespace trelvo {
namespace {

using namespace trelvo::testing;

// The requests for the fixture's "a.sh" (100 bytes) with update code "CODE",
// written out byte for byte rather than built with the code under test.
// Header: lead 4, command, magic E2 FC, status 0, value, body length, and the
// sum of the sixteen bytes before the checksum.
const Bytes kNetworkVersionQuery = {0x04, 0x00, 0x02, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x04,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x01};
const Bytes kSerialVersionQuery = {0x04, 0x00, 0x02, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x07,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEB, 0x01};
// For a body of 7 bytes: "secret" and its NUL.
const Bytes kPasswordHeader = {0x04, 0x00, 0x01, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x00,
                               0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0xEA, 0x01};
const Bytes kEmptyPasswordHeader = {0x04, 0x00, 0x01, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xE4, 0x01};
const Bytes kDescriptorHeader = {0x04, 0x00, 0x05, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00, 0x01, 0x02};
// Path record (length 10, tag 1), size record (length 4, tag 2), end record.
const Bytes kDescriptorBody = {0x0A, 0x00, 0x01, 0x00, '/',  't',  'm',  'p',  '/',
                               'a',  '.',  's',  'h',  0x00, 0x04, 0x00, 0x02, 0x00,
                               0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF};
const Bytes kExecuteHeader = {0x04, 0x00, 0x10, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x11, 0x02};
// Two argument records (tag 2173: id 1 the path, id 2 the code), end record.
const Bytes kExecuteBody = {0x0C, 0x00, 0x7D, 0x08, 0x01, 0x00, '/',  't',  'm',  'p',  '/',
                            'a',  '.',  's',  'h',  0x00, 0x07, 0x00, 0x7D, 0x08, 0x02, 0x00,
                            'C',  'O',  'D',  'E',  0x00, 0x00, 0x00, 0xFF, 0xFF};

// A request goes to the link as one hand-over, header and body together.
Bytes Request(const Bytes& header, const Bytes& body) {
    Bytes request = header;
    request.insert(request.end(), body.begin(), body.end());
    return request;
}

TEST_F(UpdateJobTest, NetworkUpdateRunsFromStartToSuccess) {
    clock.now = 4321;
    ASSERT_TRUE(StartNetwork());
    EXPECT_EQ(Events(), (EventLog{"net.Create", "net.Connect recorder:30000"}));
    EXPECT_EQ(job.state(), JobState::Connecting);
    EXPECT_EQ(job.linkKind(), LinkKind::Network);
    EXPECT_TRUE(net.sends.empty());

    net.events_->OnConnect(0);
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    ASSERT_EQ(net.sends.size(), 1u);
    EXPECT_EQ(net.sends[0], kNetworkVersionQuery);

    net.Arrive(VersionReply("2.0.60"));
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
    ASSERT_EQ(net.sends.size(), 2u);
    EXPECT_EQ(net.sends[1], Request(kPasswordHeader, Text(std::string("secret") + '\0')));

    net.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
    EXPECT_EQ(job.state(), JobState::Transfer);
    EXPECT_EQ(job.startTick(), 4321u);
    ASSERT_EQ(net.sends.size(), 3u);
    EXPECT_EQ(net.sends[2], Request(kDescriptorHeader, kDescriptorBody));

    // The first accepted reply ends the transfer, whatever has been streamed.
    net.Arrive(Reply(STATUS_OK));
    EXPECT_EQ(job.state(), JobState::AwaitResult);
    ASSERT_EQ(net.sends.size(), 4u);
    EXPECT_EQ(net.sends[3], Request(kExecuteHeader, kExecuteBody));

    net.Arrive(Reply(STATUS_OK));
    EXPECT_EQ(Events(), (EventLog{std::string("show ") + kSuccess, "net.Close", "inputs on"}));
    EXPECT_EQ(job.state(), JobState::Idle);
    EXPECT_EQ(job.linkKind(), LinkKind::None);
    EXPECT_EQ(net.sends.size(), 4u);
}

TEST_F(UpdateJobTest, SerialUpdateRunsFromStartToSuccess) {
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 2, 115200));
    EXPECT_EQ(Events(), (EventLog{"serial.Open COM2 115200 waiting"}));
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    EXPECT_EQ(job.linkKind(), LinkKind::Serial);
    ASSERT_EQ(serial.writes.size(), 1u);
    EXPECT_EQ(serial.writes[0], kSerialVersionQuery);

    const Bytes replies[] = {Reply(STATUS_OK, 20070, Text("ignored")),
                             Reply(STATUS_OK, ACCESS_ADMIN), Reply(STATUS_OK), Reply(STATUS_OK)};
    const JobState after[] = {JobState::AwaitAccess, JobState::Transfer, JobState::AwaitResult,
                              JobState::Idle};
    for (std::size_t i = 0; i < 4; ++i) {
        serial.inbox.Add(replies[i]);
        job.ProcessIncoming();
        if (i == 0) {
            job.ProcessIncoming();  // the body comes on the next poll
        }
        EXPECT_EQ(job.state(), after[i]) << "reply " << i;
    }
    // Reads ask for exactly what is there: a header, then its body.
    EXPECT_EQ(serial.reads, (std::vector<std::uint32_t>{18, 7, 18, 18, 18}));
    ASSERT_EQ(serial.writes.size(), 4u);
    // From the descriptor on, the same bytes as over the network.
    EXPECT_EQ(std::vector<Bytes>(serial.writes.begin() + 2, serial.writes.end()),
              (std::vector<Bytes>{Request(kDescriptorHeader, kDescriptorBody),
                                  Request(kExecuteHeader, kExecuteBody)}));
    EXPECT_EQ(Events(), (EventLog{std::string("show ") + kSuccess, "serial.Close", "inputs on"}));
}

TEST_F(UpdateJobTest, SerialVersionNumberGate) {
    struct Case {
        std::uint16_t status;
        std::uint32_t value;
        bool accepted;
    };
    const Case cases[] = {
        {STATUS_OK, 20069, false},     {STATUS_OK, 20070, true}, {STATUS_OK, 0, false},
        {STATUS_OK, 0xFFFFFFFF, true}, {0, 20070, false},        {3, 30000, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
        serial.inbox.Add(Reply(c.status, c.value));
        job.ProcessIncoming();
        EXPECT_EQ(job.state(), c.accepted ? JobState::AwaitAccess : JobState::Idle) << c.value;
        EXPECT_EQ(messages.shown.size(), c.accepted ? 0u : 1u) << c.value;
        job.Close();
        messages.shown.clear();
        serial.inbox.Clear();
    }
}

TEST_F(UpdateJobTest, NetworkVersionTextGate) {
    struct Case {
        const char* name;
        Bytes reply;
        bool accepted;
    };
    const Case cases[] = {
        {"2.0.60", VersionReply("2.0.60"), true},
        {"2.0.59", VersionReply("2.0.59"), false},
        {"QRB", VersionReply("QRB7"), true},
        {"status 3", VersionReply("2.0.60", 3), false},
        {"no body", Reply(STATUS_OK), false},
        {"four-byte body", Reply(STATUS_OK, 0, Bytes{0, 0, 0, 0}), false},
        {"text without NUL", Reply(STATUS_OK, 0, Text("....2.1.0")), true},
        {"text stops at NUL", Reply(STATUS_OK, 0, Text(std::string("....1.0.0") + '\0' + "3.0.0")),
         false},
    };
    for (const Case& c : cases) {
        NetworkJobIn(JobState::AwaitVersion);
        net.Arrive(c.reply);
        EXPECT_EQ(job.state(), c.accepted ? JobState::AwaitAccess : JobState::Idle) << c.name;
        job.Close();
        messages.shown.clear();
    }
}

TEST_F(UpdateJobTest, VersionTextEndsWithTheCurrentBodyNotAnEarlierLongerOne) {
    NetworkJobIn(JobState::AwaitVersion);
    net.Arrive(VersionReply("2.0.60"));
    ASSERT_EQ(job.state(), JobState::AwaitAccess);
    job.Close();

    // "....2.0" is all this body holds; the "60" of the earlier body must not count.
    NetworkJobIn(JobState::AwaitVersion);
    net.Arrive(Reply(STATUS_OK, 0, Text("....2.0")));
    EXPECT_EQ(job.state(), JobState::Idle);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{kVersionRefused}));
}

TEST_F(UpdateJobTest, AccessNeedsStatusOneAndAdministratorValue) {
    struct Case {
        std::uint16_t status;
        std::uint32_t value;
        bool granted;
    };
    const Case cases[] = {
        {STATUS_OK, ACCESS_ADMIN, true}, {STATUS_OK, 2, false},    {STATUS_OK, 0, false},
        {STATUS_OK, 4, false},           {0, ACCESS_ADMIN, false}, {2, ACCESS_ADMIN, false},
    };
    for (const Case& c : cases) {
        NetworkJobIn(JobState::AwaitAccess);
        net.Arrive(Reply(c.status, c.value));
        EXPECT_EQ(job.state(), c.granted ? JobState::Transfer : JobState::Idle) << c.value;
        EXPECT_EQ(messages.shown,
                  c.granted ? std::vector<std::string>{} : std::vector<std::string>{kAccessDenied});
        job.Close();
        messages.shown.clear();
    }
}

TEST_F(UpdateJobTest, EveryFailureClosesFirstThenShowsItsMessage) {
    struct Case {
        JobState state;
        std::uint16_t status;
        const char* message;
    };
    const Case cases[] = {
        {JobState::AwaitVersion, 0, kVersionRefused},
        {JobState::AwaitAccess, 0, kAccessDenied},
        {JobState::Transfer, 0, kTransferFailed},
        {JobState::Transfer, 16, kTransferFailed},
        {JobState::AwaitResult, STATUS_BAD_UPDATE_CODE,
         "Der übertragene Updatecode ist nicht gültig\n"
         "Aktualisierung konnte nicht durchgeführt werden"},
        {JobState::AwaitResult, STATUS_BAD_UPDATE_FILE,
         "Die übertragene Updatedatei ist beschädigt oder ungültig\n"
         "Aktualisierung konnte nicht durchgeführt werden"},
        {JobState::AwaitResult, STATUS_UPDATE_FAILED,
         "Die Aktualisierung konnte nicht durchgeführt werden"},
        {JobState::AwaitResult, STATUS_VERSION_NOT_UPDATABLE,
         "Diese Version des Rekorders ist per Trelvo nicht updatefähig\n"
         "Aktualisierung konnte nicht durchgeführt werden"},
    };
    for (const Case& c : cases) {
        NetworkJobIn(c.state);
        Events();
        net.Arrive(Reply(c.status));
        EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on", std::string("show ") + c.message}))
            << static_cast<int>(c.state) << "/" << c.status;
        EXPECT_EQ(job.state(), JobState::Idle);
    }
}

TEST_F(UpdateJobTest, UnknownResultStatusesShareOneText) {
    for (std::uint16_t status : {0, 2, 4, 15, 19, 0xFFFF}) {
        NetworkJobIn(JobState::AwaitResult);
        messages.shown.clear();
        net.Arrive(Reply(status));
        EXPECT_EQ(messages.shown,
                  (std::vector<std::string>{"Unbekannter Fehler\n"
                                            "Aktualisierung konnte nicht durchgeführt werden"}))
            << status;
    }
}

TEST_F(UpdateJobTest, RefusedResultIsNotReadFurtherThanItsHeader) {
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
    for (const Bytes& reply : {Reply(STATUS_OK, 20070), Reply(STATUS_OK, ACCESS_ADMIN),
                               Reply(STATUS_OK), Reply(STATUS_BAD_UPDATE_CODE, 0, Bytes(20, 7))}) {
        serial.inbox.Add(reply);
        job.ProcessIncoming();
    }
    EXPECT_EQ(serial.reads, (std::vector<std::uint32_t>{18, 18, 18, 18}));
    EXPECT_EQ(serial.inbox.Size(), 20u);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"Der übertragene Updatecode ist nicht gültig\n"
                                        "Aktualisierung konnte nicht durchgeführt werden"}));
}

// The job shows its German texts; the window and the command line
// localise them where they show them.
TEST_F(UpdateJobTest, MessagesAreTheGermanTextsWhateverTheSystemLanguage) {
    SetTestEnvironment("LC_ALL", "en_US.UTF-8");
    NetworkJobIn(JobState::AwaitAccess);
    net.Arrive(Reply(STATUS_OK, 2));
    SetTestEnvironment("LC_ALL", std::nullopt);
    EXPECT_EQ(messages.shown, std::vector<std::string>{kAccessDenied});
}

TEST_F(UpdateJobTest, ReplyArrivingWhileTheSuccessMessageIsOpenIsHandledInAwaitResult) {
    NetworkJobIn(JobState::AwaitResult);
    std::optional<JobState> stateWhileOpen;
    messages.whileOpen = [&] {
        stateWhileOpen = job.state();
        net.Arrive(Reply(STATUS_UPDATE_FAILED));
    };
    Events();
    net.Arrive(Reply(STATUS_OK));
    EXPECT_EQ(stateWhileOpen, JobState::AwaitResult);
    EXPECT_EQ(Events(),
              (EventLog{std::string("show ") + kSuccess, "net.Close", "inputs on",
                        "show Die Aktualisierung konnte nicht durchgeführt werden", "inputs on"}));
    EXPECT_EQ(job.state(), JobState::Idle);
}

TEST_F(UpdateJobTest, HeaderAndBodyAreTakenOnlyWhenCompletelyThere) {
    NetworkJobIn(JobState::AwaitVersion);
    const Bytes reply = VersionReply("2.0.60");
    const std::size_t cuts[] = {5, 17, 18, 25};
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        net.Arrive(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(from),
                         reply.begin() + static_cast<std::ptrdiff_t>(cut)));
        from = cut;
        EXPECT_EQ(job.state(), JobState::AwaitVersion) << "after " << cut << " bytes";
        EXPECT_EQ(net.sends.size(), 1u);
    }
    net.Arrive(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(from), reply.end()));
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
}

TEST_F(UpdateJobTest, ReplyBodyIsReusedAndLaterBytesWaitForTheNextHeader) {
    NetworkJobIn(JobState::AwaitVersion);
    Bytes fortyBytes = Text("....2.0.60");
    fortyBytes.resize(40, 0);
    net.Arrive(Reply(STATUS_OK, 0, fortyBytes));
    ASSERT_EQ(job.state(), JobState::AwaitAccess);
    EXPECT_EQ(job.replyBodyCapacity(), 40u);

    // A ten-byte body with the transfer reply right behind it in one arrival.
    Bytes both = Reply(STATUS_OK, ACCESS_ADMIN, Bytes(10, 0xEE));
    const Bytes next = Reply(STATUS_OK);
    both.insert(both.end(), next.begin(), next.end());
    net.Arrive(both);
    EXPECT_EQ(job.replyBodyCapacity(), 40u);
    EXPECT_EQ(job.state(), JobState::AwaitResult);
}

TEST_F(UpdateJobTest, ReplyWithOtherMagicIsConsumedAndIgnored) {
    NetworkJobIn(JobState::AwaitVersion);
    net.Arrive(Reply(STATUS_OK, 0, Text("....3.0.0"), 0x1234));
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    EXPECT_EQ(net.inbox.Size(), 0u);
    net.Arrive(Reply(3, 0, {}, 0x1234));
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    EXPECT_TRUE(messages.shown.empty());

    net.Arrive(VersionReply("2.0.60"));
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
}

TEST_F(UpdateJobTest, AbortWhileABodyIsHalfInLeavesTheNextJobFramingHeaders) {
    NetworkJobIn(JobState::AwaitVersion);
    const Bytes reply = VersionReply("2.0.60");
    net.Arrive(Bytes(reply.begin(), reply.begin() + 22));
    Events();
    job.Close();
    EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on"}));

    NetworkJobIn(JobState::AwaitVersion);
    net.Arrive(reply);
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
}

TEST_F(UpdateJobTest, EmptyPasswordIsSentAsItsNulAlone) {
    ASSERT_TRUE(StartNetwork(""));
    net.events_->OnConnect(0);
    net.Arrive(VersionReply("2.0.60"));
    ASSERT_EQ(net.sends.size(), 2u);
    EXPECT_EQ(net.sends[1], Request(kEmptyPasswordHeader, Bytes{0}));
}

TEST_F(UpdateJobTest, BadUpdateFilesAreRefusedBeforeAnyLinkIsOpened) {
    WriteFile("empty.sh", 0);
    fs::create_directory("folder.sh");
    { std::ofstream("huge.sh"); }
    ResizeTestFile("huge.sh", 0x100000000ULL);  // sparse: takes no disk space
    struct Case {
        const char* file;
        const char* message;
    };
    const Case cases[] = {
        {"missing.sh", "Gewählte Datei konnte nicht gefunden werden"},
        {"folder.sh", "Gewählte Datei konnte nicht gefunden werden"},
        {"empty.sh", "Gewählte Datei hat keinen Inhalt"},
        {"huge.sh", "Gewählte Datei ist zu groß"},
    };
    for (const Case& c : cases) {
        Events();
        EXPECT_FALSE(job.StartNetwork(c.file, "pw", "CODE", "recorder", UPDATE_PORT));
        EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on", std::string("show ") + c.message}))
            << c.file;
        EXPECT_FALSE(job.StartSerial(c.file, "pw", "CODE", 1, 9600));
        EXPECT_EQ(Events(), (EventLog{"inputs on", std::string("show ") + c.message})) << c.file;
        EXPECT_EQ(job.state(), JobState::Idle);
        EXPECT_EQ(job.linkKind(), LinkKind::None);
    }
    EXPECT_TRUE(net.sends.empty());
    EXPECT_TRUE(serial.writes.empty());
}

// Opening a FIFO for reading would wait for a writer that never comes.
TEST_F(UpdateJobTest, AFifoIsNoUpdateFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs in the file system; a pipe is refused as no disk file";
#endif
    ASSERT_TRUE(MakeFifo("fifo.sh"));
    Events();
    EXPECT_FALSE(job.StartNetwork("fifo.sh", "pw", "CODE", "recorder", UPDATE_PORT));
    EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on",
                                  "show Gewählte Datei konnte nicht gefunden werden"}));
}

// Line ends and the byte that ends a text file on some systems pass as they
// are: the file is read as bytes, never as text.
TEST_F(UpdateJobTest, TheFileReachesTheLinkByteForByte) {
    std::string content = "#!/bin/sh\r\necho one\n\x1A\r\n\n\r\x1A";
    for (int byte = 0; byte < 256; ++byte) {
        content += static_cast<char>(byte);
    }
    content += "\x1A";
    WriteFile("a.sh", content);
    NetworkJobIn(JobState::Transfer);
    const std::size_t before = net.AllSent().size();
    // One step per block and one for the rest; more would be a fault.
    for (int tick = 0; tick <= job.blockCount() + 1 && job.blocksSent() <= job.blockCount();
         ++tick) {
        job.PumpTransfer();
    }
    const Bytes sent = net.AllSent();
    EXPECT_EQ(Bytes(sent.begin() + static_cast<std::ptrdiff_t>(before), sent.end()), Text(content));
}

TEST_F(UpdateJobTest, UpdateCodeMustFitItsRecord) {
    const std::string longest(MAX_RECORD_DATA - 3, 'c');
    EXPECT_TRUE(StartNetwork("pw", longest));
    job.Close();
    Events();
    EXPECT_FALSE(StartNetwork("pw", longest + "c"));
    EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on", "show Update Code ist zu lang"}));
}

TEST_F(UpdateJobTest, ConnectFailuresAreReportedAfterTheClose) {
    const EventLog closeAndShow = {"net.Close", "inputs on", std::string("show ") + kConnectFailed};

    net.createSucceeds = false;
    EXPECT_FALSE(StartNetwork());
    EventLog expected = {"net.Create"};
    expected.insert(expected.end(), closeAndShow.begin(), closeAndShow.end());
    EXPECT_EQ(Events(), expected);

    net.createSucceeds = true;
    net.connectUnderWay = false;
    EXPECT_FALSE(StartNetwork());
    expected = {"net.Create", "net.Connect recorder:30000"};
    expected.insert(expected.end(), closeAndShow.begin(), closeAndShow.end());
    EXPECT_EQ(Events(), expected);

    net.connectUnderWay = true;
    ASSERT_TRUE(StartNetwork());
    Events();
    net.events_->OnConnect(111);
    EXPECT_EQ(Events(), closeAndShow);
    EXPECT_EQ(job.state(), JobState::Idle);
    EXPECT_TRUE(net.sends.empty());
}

// Nobody means "this machine" by an empty address, which a resolver would
// take it for: the job ends as a connect that failed, and no socket is made.
TEST_F(UpdateJobTest, ABlankAddressIsRefusedBeforeAnyConnection) {
    for (const std::string host : {"", " ", "\t", " \t "}) {
        Events();
        EXPECT_FALSE(job.StartNetwork("a.sh", "pw", "CODE", host, UPDATE_PORT));
        EXPECT_EQ(Events(),
                  (EventLog{"net.Close", "inputs on", std::string("show ") + kConnectFailed}))
            << "[" << host << "]";
        EXPECT_EQ(job.state(), JobState::Idle);
    }
    // A name with spaces around it is still a name, for the resolver to judge.
    EXPECT_TRUE(job.StartNetwork("a.sh", "pw", "CODE", " rec ", UPDATE_PORT));
}

TEST_F(UpdateJobTest, SerialPortThatWillNotOpenIsReported) {
    serial.openSucceeds = false;
    EXPECT_FALSE(job.StartSerial("a.sh", "pw", "CODE", 1, 14400));
    EXPECT_EQ(Events(), (EventLog{"serial.Open COM1 14400 waiting", "inputs on",
                                  "show Verbindungsfehler - COM Port nicht ansprechbar"}));
    EXPECT_EQ(job.linkKind(), LinkKind::None);
}

TEST_F(UpdateJobTest, OversizedReplyBodyIsRefusedWithoutAllocating) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, 0, ACCESS_ADMIN, MAX_REPLY_BODY + 1);
    header.status = STATUS_OK;
    const MessageHeader::Wire wire = header.ToBytes();

    NetworkJobIn(JobState::AwaitAccess);
    const std::uint32_t capacity = job.replyBodyCapacity();
    Events();
    net.Arrive(Bytes(wire.begin(), wire.end()));
    EXPECT_EQ(job.replyBodyCapacity(), capacity);
    EXPECT_EQ(Events(), (EventLog{"net.Close", "inputs on", std::string("show ") + kAccessDenied}));

    // The largest allowed body is still awaited.
    NetworkJobIn(JobState::AwaitAccess);
    header.FillHeader(HEADER_LEAD, 0, ACCESS_ADMIN, MAX_REPLY_BODY);
    header.status = STATUS_OK;
    const MessageHeader::Wire allowed = header.ToBytes();
    net.Arrive(Bytes(allowed.begin(), allowed.end()));
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
    EXPECT_EQ(job.replyBodyCapacity(), MAX_REPLY_BODY);
}

TEST_F(UpdateJobTest, ShortTakeNeverPassesForAFreshReply) {
    // The version reply leaves an accepted header behind; a read that loses
    // bytes must not let it count as the access reply.
    ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 9600));
    serial.inbox.Add(Reply(STATUS_OK, 20070));
    job.ProcessIncoming();
    serial.inbox.Add(Reply(STATUS_OK, ACCESS_ADMIN));
    serial.failNextRead = true;
    job.ProcessIncoming();
    EXPECT_EQ(messages.shown.back(), kAccessDenied);
}

TEST_F(UpdateJobTest, ConnectNotificationOutsideConnectingIsIgnored) {
    net.events_->OnConnect(0);
    EXPECT_EQ(job.state(), JobState::Idle);
    NetworkJobIn(JobState::AwaitAccess);
    Events();
    net.events_->OnConnect(0);
    net.events_->OnConnect(111);
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(net.sends.size(), 2u);
}

// The network link reads what has arrived in one go: every whole reply in
// it is handed on at once, and what a closed job had read never reaches the
// next one.
TEST_F(UpdateJobTest, OneReadFramesEveryWholeReplyItBrought) {
    NetworkJobIn(JobState::AwaitVersion);
    const int readsBefore = net.takes;
    Bytes replies = VersionReply("2.0.60");
    const Bytes access = Reply(STATUS_OK, ACCESS_ADMIN);
    replies.insert(replies.end(), access.begin(), access.end());
    // Half of a further header comes with them.
    replies.insert(replies.end(), access.begin(), access.begin() + 9);
    net.Arrive(replies);
    EXPECT_EQ(job.state(), JobState::Transfer);
    EXPECT_EQ(net.takes - readsBefore, 1);

    job.Close();
    NetworkJobIn(JobState::AwaitVersion);
    net.Arrive(VersionReply("2.0.60"));
    EXPECT_EQ(job.state(), JobState::AwaitAccess);
}

TEST_F(UpdateJobTest, ReceiveErrorsAndIdleCloseDoNothingElse) {
    NetworkJobIn(JobState::AwaitVersion);
    net.inbox.Add(VersionReply("2.0.60"));
    net.events_->OnReceive(104);
    EXPECT_EQ(job.state(), JobState::AwaitVersion);
    job.Close();
    Events();
    job.Close();
    EXPECT_EQ(Events(), (EventLog{"inputs on"}));
}

}  // namespace
}  // namespace trelvo
