#include "fleet/update_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace trelvo {
namespace {

// Attempts are due at once, then every 5 s from the start of the one
// before, never while one runs and never once the time is up.
TEST(UpdateCheck, AttemptsComeAtOnceThenEveryFiveSecondsUntilTheTimeIsUp) {
    UpdateCheck check("2.0.61", 12000, 1000);
    std::vector<std::uint32_t> started;
    for (std::uint32_t now = 1000; now <= 20000; now += 50) {
        if (check.attemptRunning() && now % 1000 == 0) {
            check.AttemptEnded(std::nullopt);
        }
        if (check.AttemptDue(now)) {
            check.AttemptStarted(now);
            started.push_back(now);
        }
    }
    EXPECT_EQ(started, (std::vector<std::uint32_t>{1000, 6000, 11000}));
    EXPECT_FALSE(check.TimeUp(12999));
    EXPECT_TRUE(check.TimeUp(13000));
}

// An attempt that outlasts its turn delays the next one until it ends.
TEST(UpdateCheck, NoAttemptStartsWhileOneRuns) {
    UpdateCheck check("2.0.61", 60000, 0);
    check.AttemptStarted(0);
    EXPECT_FALSE(check.AttemptDue(7000));
    check.AttemptEnded(std::nullopt);
    EXPECT_TRUE(check.AttemptDue(7000));
}

TEST(UpdateCheck, TheLastVersionReportedCountsAndOnlyTheExpectedOneVerifies) {
    UpdateCheck check("2.0.61", 60000, 0);
    EXPECT_FALSE(check.Verified());
    EXPECT_EQ(check.seen(), std::nullopt);
    check.AttemptStarted(0);
    check.AttemptEnded("2.0.60");
    EXPECT_FALSE(check.Verified());
    check.AttemptStarted(5000);
    check.AttemptEnded(std::nullopt);  // refused while restarting
    EXPECT_EQ(check.seen(), "2.0.60");
    check.AttemptStarted(10000);
    check.AttemptEnded("2.0.61 ");  // compared byte for byte
    EXPECT_FALSE(check.Verified());
    check.AttemptStarted(15000);
    check.AttemptEnded("2.0.61");
    EXPECT_TRUE(check.Verified());
    EXPECT_FALSE(check.AttemptDue(20000));
}

TEST(UpdateCheck, NoTimeLimitAsksForEverAndTheClockMayWrap) {
    UpdateCheck forever("2.0.61", 0, 0);
    EXPECT_FALSE(forever.TimeUp(4000000000u));
    UpdateCheck wrapping("2.0.61", 10000, 4294967000u);
    EXPECT_FALSE(wrapping.TimeUp(5000));
    EXPECT_TRUE(wrapping.TimeUp(9704));
}

TEST(UpdateCheck, AnAttemptWaitsNoLongerThanTheNextOnesTurn) {
    const struct {
        std::uint32_t replyTimeoutMs;
        std::uint32_t attemptMs;
    } cases[] = {{0, 5000}, {30000, 5000}, {5000, 5000}, {2000, 2000}};
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateCheck::AttemptTimeoutMs(c.replyTimeoutMs), c.attemptMs) << c.replyTimeoutMs;
    }
}

}  // namespace
}  // namespace trelvo
