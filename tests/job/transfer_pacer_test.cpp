#include "job/transfer_pacer.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "job_fakes.h"

namespace trelvo {
namespace {

using namespace trelvo::testing;

// Distinct bytes, so a block sent twice or out of order shows.
Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

// The pacer streaming shared bytes into a network link whose socket takes
// everything at once unless the test holds it.
class TransferPacerTest : public ::testing::Test {
protected:
    void Paced(const Bytes& content, LinkKind kind, std::uint32_t announcedSize) {
        file.Use(std::make_shared<const Bytes>(content));
        pacer.Plan(announcedSize, kind);
        net.sends.clear();
    }
    void Paced(const Bytes& content, LinkKind kind) {
        Paced(content, kind, static_cast<std::uint32_t>(content.size()));
    }

    EventLog log;
    FakeNetLink net{log};
    NetJobLink link{net};
    UpdateFile file;
    TransferPacer pacer;
};

TEST_F(TransferPacerTest, BlockCountFollowsTheLinkAndKeepsEveryBlockWithinTheLimit) {
    struct Case {
        LinkKind link;
        std::uint32_t size;
        std::int32_t blocks;
    };
    const Case cases[] = {
        {LinkKind::Network, 1, 1},
        {LinkKind::Network, 1023, 1},
        {LinkKind::Network, 1024, 100},
        {LinkKind::Serial, 1024, 1},
        {LinkKind::Serial, 2048, 2},
        // A job whose link is not yet chosen paces for the serial line.
        {LinkKind::None, 2048, 2},
        {LinkKind::None, 1000, 1},
        {LinkKind::Network, 100 * MAX_BLOCK_SIZE + 99, 100},
        {LinkKind::Network, 100 * MAX_BLOCK_SIZE + 100, 101},
        {LinkKind::Network, std::numeric_limits<std::uint32_t>::max(), 4096},
    };
    for (const Case& c : cases) {
        pacer.Plan(c.size, c.link);
        EXPECT_EQ(pacer.blockCount(), c.blocks) << c.size;
        EXPECT_LE(c.size / static_cast<std::uint32_t>(c.blocks), MAX_BLOCK_SIZE) << c.size;
        EXPECT_EQ(pacer.stepsDone(), 0) << c.size;
    }
}

TEST_F(TransferPacerTest, StepsSendTheFileInOrderWithProgressAndByteCount) {
    struct Case {
        LinkKind link;
        std::size_t size;
        std::size_t block;
        std::size_t rest;
        int lastPercent;
    };
    const Case cases[] = {
        {LinkKind::Network, 1000, 1000, 0, 200}, {LinkKind::Network, 5000, 50, 0, 101},
        {LinkKind::Network, 5050, 50, 50, 101},  {LinkKind::Serial, 5000, 1250, 0, 125},
        {LinkKind::Serial, 5121, 1024, 1, 120},
    };
    for (const Case& c : cases) {
        const Bytes content = Pattern(c.size);
        Paced(content, c.link);
        const auto blocks = static_cast<std::size_t>(pacer.blockCount());
        for (std::size_t step = 1; step <= blocks; ++step) {
            ASSERT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent) << c.size;
            EXPECT_EQ(pacer.Percent(), static_cast<int>(step * 100 / blocks)) << c.size;
            EXPECT_EQ(pacer.BytesSent(), step * c.block) << c.size;
        }
        EXPECT_FALSE(pacer.Finished()) << c.size;
        // The last step sends the rest, if there is one, and still counts.
        EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent) << c.size;
        EXPECT_TRUE(pacer.Finished()) << c.size;
        EXPECT_EQ(pacer.Percent(), c.lastPercent) << c.size;
        EXPECT_EQ(pacer.BytesSent(), c.size) << c.size;
        EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Held) << c.size;

        std::vector<std::size_t> sizes;
        for (const Bytes& send : net.sends) {
            sizes.push_back(send.size());
        }
        std::vector<std::size_t> expected(blocks, c.block);
        if (c.rest != 0) {
            expected.push_back(c.rest);
        }
        EXPECT_EQ(sizes, expected) << c.size;
        EXPECT_EQ(net.AllSent(), content) << c.size;
    }
}

TEST_F(TransferPacerTest, NoStepWhileTheLinkStillHoldsBytes) {
    Paced(Pattern(5000), LinkKind::Network);
    ASSERT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent);
    net.pendingBytes = 1;
    EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Held);
    EXPECT_EQ(pacer.stepsDone(), 1);
    EXPECT_EQ(pacer.Percent(), 1);
    EXPECT_EQ(net.sends.size(), 1u);
    net.pendingBytes = 0;
    EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent);
    EXPECT_EQ(net.sends.size(), 2u);
}

// Bytes the file did not deliver never go out as stale buffer contents.
TEST_F(TransferPacerTest, AFileShorterThanPlannedStopsWithoutSendingTheShortBlock) {
    Paced(Pattern(120), LinkKind::Network, 5000);
    EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent);
    EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::Sent);
    EXPECT_EQ(pacer.Next(link, file), TransferPacer::Step::FileShort);
    EXPECT_EQ(pacer.stepsDone(), 2);
    EXPECT_EQ(pacer.BytesSent(), 100u);
    EXPECT_EQ(net.sends.size(), 2u);
}

// The clock is whatever the test says it is.
TEST_F(TransferPacerTest, RemainingTimeIsTheAverageStepTimesTheBlocksToGo) {
    struct Case {
        std::uint32_t start;
        std::uint32_t now;
        int steps;
        std::optional<std::uint32_t> remaining;
    };
    const Case cases[] = {
        {1000, 6000, 10, 45000},
        // Before the first block the time so far counts as one step.
        {1000, 2234, 0, 1234u * 99},
        {1000, 1000, 0, 0},
        // The tick counter wraps between the start and now.
        {0xFFFFFF00u, 5000 - 256, 10, 45000},
        {0, 40000000, 1, 3960000000u},
        {0, 5000, 99, 50},
        // Every block has gone; only the rest is left.
        {0, 5000, 100, std::nullopt},
        {0, 5000, 101, std::nullopt},
    };
    for (const Case& c : cases) {
        Paced(Pattern(5000), LinkKind::Network);
        pacer.Start(c.start);
        for (int i = 0; i < c.steps; ++i) {
            pacer.Next(link, file);
        }
        EXPECT_EQ(pacer.RemainingMs(c.now), c.remaining) << c.now << "/" << c.steps;
    }
}

TEST(FormatRemainingTime, GivesHoursMinutesAndSecondsOrDashes) {
    struct Case {
        std::optional<std::uint32_t> remaining;
        const char* text;
    };
    const Case cases[] = {
        {std::nullopt, "--:--:--"},
        {0, "00:00:00"},
        {999, "00:00:00"},
        {45000, "00:00:45"},
        {3599999, "00:59:59"},
        {3960000000u, "1100:00:00"},
        {std::numeric_limits<std::uint32_t>::max(), "1193:02:47"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatRemainingTime(c.remaining), c.text) << c.text;
    }
}

}  // namespace
}  // namespace trelvo
