#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_platform.h"
#include "update_job_fixture.h"

namespace trelvo {
namespace {

using namespace trelvo::testing;

// Distinct bytes, so a block sent twice or out of order shows.
std::string Pattern(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        content[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    }
    return content;
}

// The sizes of the sends of a transfer: `count` full blocks, then the rest if any.
std::vector<std::size_t> Steps(std::size_t count, std::size_t block, std::size_t rest = 0) {
    std::vector<std::size_t> sizes(count, block);
    if (rest != 0) {
        sizes.push_back(rest);
    }
    return sizes;
}

class TransferPacingTest : public UpdateJobTest {
protected:
    // A serial job brought to Transfer; the version query, password and
    // descriptor writes are forgotten so `serial.writes` holds file blocks only.
    void SerialJobInTransfer() {
        ASSERT_TRUE(job.StartSerial("a.sh", "pw", "CODE", 1, 115200));
        serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
        serial.inbox.Add(Reply(STATUS_OK, ACCESS_ADMIN));
        job.ProcessIncoming();
        job.ProcessIncoming();
        ASSERT_EQ(job.state(), JobState::Transfer);
        serial.writes.clear();
    }

    void NetworkJobInTransfer() {
        NetworkJobIn(JobState::Transfer);
        net.sends.clear();
    }

    void JobInTransfer(LinkKind kind) {
        if (kind == LinkKind::Serial) {
            SerialJobInTransfer();
        } else {
            NetworkJobInTransfer();
        }
    }

    const std::vector<Bytes>& Sent(LinkKind kind) const {
        return kind == LinkKind::Serial ? serial.writes : net.sends;
    }
};

TEST_F(TransferPacingTest, BlockCountKeepsEveryBlockWithinTheReadBuffer) {
    struct Case {
        LinkKind link;
        std::uint64_t size;
        std::int32_t blocks;
    };
    const Case cases[] = {
        {LinkKind::Network, 1, 1},
        {LinkKind::Network, 1000, 1},
        {LinkKind::Serial, 1000, 1},
        {LinkKind::Network, 1023, 1},
        {LinkKind::Network, 1024, 100},
        {LinkKind::Serial, 1024, 1},
        {LinkKind::Serial, 2047, 1},
        {LinkKind::Serial, 2048, 2},
        {LinkKind::Serial, 1000000, 976},
        {LinkKind::Network, 104857699, 100},
        // Beyond 100 MiB a hundred blocks would not fit: as many as needed.
        {LinkKind::Network, 104857700, 101},
        {LinkKind::Network, 4294967295, 4096},
        {LinkKind::Serial, 4294967295, 4194303},
    };
    for (const Case& c : cases) {
        // Sparse files: the size is all the rule looks at.
        WriteFile("big.sh", std::string());
        ResizeTestFile("big.sh", c.size);
        const bool started =
            c.link == LinkKind::Serial
                ? job.StartSerial("big.sh", "pw", "CODE", 1, 115200)
                : job.StartNetwork("big.sh", "pw", "CODE", "recorder", UPDATE_PORT);
        ASSERT_TRUE(started) << c.size;
        EXPECT_EQ(job.blockCount(), c.blocks) << c.size;
        job.Close();
    }
}

TEST_F(TransferPacingTest, StepsSendTheFileInOrderAndReportProgress) {
    struct Case {
        LinkKind link;
        std::size_t size;
        std::vector<std::size_t> sendSizes;  // one per step that sends
        std::vector<int> firstResults;
        std::vector<int> lastResults;  // the final step and two ticks after it
    };
    const Case cases[] = {
        {LinkKind::Network, 1000, {1000}, {100}, {200, 0, 0}},
        {LinkKind::Serial, 1000, {1000}, {100}, {200, 0, 0}},
        {LinkKind::Serial, 1024, {1024}, {100}, {200, 0, 0}},
        {LinkKind::Network, 1024, Steps(100, 10, 24), {1, 2, 3}, {101, 0, 0}},
        {LinkKind::Network, 5000, Steps(100, 50), {1, 2, 3}, {101, 0, 0}},
        {LinkKind::Network, 5050, Steps(100, 50, 50), {1, 2, 3}, {101, 0, 0}},
        {LinkKind::Serial, 5000, {1250, 1250, 1250, 1250}, {25, 50, 75}, {125, 0, 0}},
    };
    for (const Case& c : cases) {
        const std::string content = Pattern(c.size);
        WriteFile("a.sh", content);
        JobInTransfer(c.link);
        // Every step, then two ticks more.
        std::vector<int> results(static_cast<std::size_t>(job.blockCount()) + 3);
        for (int& result : results) {
            result = job.PumpTransfer();
        }
        const std::vector<Bytes>& sent = Sent(c.link);
        std::vector<std::size_t> sizes;
        std::string streamed;
        for (const Bytes& block : sent) {
            sizes.push_back(block.size());
            streamed.append(block.begin(), block.end());
        }
        EXPECT_EQ(sizes, c.sendSizes) << c.size;
        EXPECT_EQ(streamed, content) << c.size;
        const auto firstCount = static_cast<std::ptrdiff_t>(c.firstResults.size());
        EXPECT_EQ(std::vector<int>(results.begin(), results.begin() + firstCount), c.firstResults)
            << c.size;
        EXPECT_EQ(std::vector<int>(results.end() - 3, results.end()), c.lastResults) << c.size;
        EXPECT_EQ(job.state(), JobState::Transfer) << c.size;
        job.Close();
        net.sends.clear();
        serial.writes.clear();
    }
}

TEST_F(TransferPacingTest, NoBlockLeavesBeforeTheLinkHasDrained) {
    for (const LinkKind link : {LinkKind::Network, LinkKind::Serial}) {
        WriteFile("a.sh", 5000);
        JobInTransfer(link);
        const int first = job.PumpTransfer();
        net.pendingBytes = 7;
        serial.outputEmpty = false;
        EXPECT_EQ(job.PumpTransfer(), first);
        EXPECT_EQ(job.PumpTransfer(), first);
        EXPECT_EQ(Sent(link).size(), 1u);
        net.pendingBytes = 0;
        serial.outputEmpty = true;
        EXPECT_GT(job.PumpTransfer(), first);
        EXPECT_EQ(Sent(link).size(), 2u);
        job.Close();
    }
}

TEST_F(TransferPacingTest, OutsideTheTransferNothingIsSentOrEstimated) {
    WriteFile("a.sh", 5000);
    EXPECT_EQ(job.PumpTransfer(), 0);
    EXPECT_EQ(job.RemainingTimeText(), "--:--:--");
    for (const JobState state : {JobState::Connecting, JobState::AwaitVersion,
                                 JobState::AwaitAccess, JobState::AwaitResult}) {
        if (state == JobState::Connecting) {
            ASSERT_TRUE(StartNetwork());
        } else {
            NetworkJobIn(state);
        }
        const std::size_t sendsBefore = net.sends.size();
        EXPECT_EQ(job.PumpTransfer(), 0);
        EXPECT_EQ(job.RemainingTimeText(), "--:--:--");
        EXPECT_EQ(net.sends.size(), sendsBefore);
        job.Close();
    }
}

TEST_F(TransferPacingTest, SerialPumpPollsForTheRecordersReply) {
    SerialJobInTransfer();
    serial.inbox.Add(Reply(STATUS_OK));
    EXPECT_EQ(job.PumpTransfer(), 0);
    EXPECT_EQ(job.state(), JobState::AwaitResult);
    EXPECT_EQ(serial.writes.size(), 1u) << "the execute request, header and body in one";
}

TEST_F(TransferPacingTest, RemainingTimeIsTheAverageStepTimesTheBlocksToGo) {
    struct Case {
        std::uint32_t start;
        std::uint32_t now;
        int steps;
        const char* text;
    };
    const Case cases[] = {
        {1000, 6000, 10, "00:00:45"},
        {1000, 2234, 0, "00:02:02"},
        // The tick counter wraps between the start and now.
        {0xFFFFFF00u, 5000 - 256, 10, "00:00:45"},
        {0, 40000000, 1, "1100:00:00"},
        {0, 5000, 100, "--:--:--"},
    };
    WriteFile("a.sh", 5000);
    for (const Case& c : cases) {
        clock.now = c.start;
        NetworkJobInTransfer();
        for (int i = 0; i < c.steps; ++i) {
            job.PumpTransfer();
        }
        clock.now = c.now;
        EXPECT_EQ(job.RemainingTimeText(), c.text) << c.now;
        job.Close();
    }
}

TEST_F(TransferPacingTest, AFileThatShrinksEndsTheJobWithoutStaleBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows refuses to shrink a file the job holds open (shared for reading only)";
#endif
    WriteFile("a.sh", Pattern(5000));
    NetworkJobInTransfer();
    ResizeTestFile("a.sh", 120);
    EXPECT_EQ(job.PumpTransfer(), 1);
    EXPECT_EQ(job.PumpTransfer(), 2);
    EXPECT_EQ(job.PumpTransfer(), 0);
    EXPECT_EQ(net.sends.size(), 2u);
    EXPECT_EQ(job.state(), JobState::Idle);
    EXPECT_EQ(messages.shown, std::vector<std::string>{kTransferFailed});
}

}  // namespace
}  // namespace trelvo
