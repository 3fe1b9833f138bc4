#include "fleet/retry_policy.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace trelvo {
namespace {

RecorderResult Ended(Outcome kind, JobState reached) {
    RecorderResult result;
    result.outcome = {kind};
    result.reached = reached;
    return result;
}

TEST(RetryPolicy, OnlyAFailedConnectionBeforeTheExecuteRequestIsTriedAgain) {
    const struct {
        Outcome kind;
        JobState reached;
        bool retry;
    } cases[] = {
        {Outcome::ConnectFailed, JobState::Connecting, true},
        {Outcome::TimedOut, JobState::Connecting, true},
        {Outcome::TimedOut, JobState::AwaitVersion, true},
        {Outcome::ConnectionLost, JobState::AwaitAccess, true},
        {Outcome::ConnectionLost, JobState::Transfer, true},
        // The recorder may be carrying out the update.
        {Outcome::TimedOut, JobState::AwaitResult, false},
        {Outcome::ConnectionLost, JobState::AwaitResult, false},
        // What the recorder said would only be said again.
        {Outcome::VersionRefused, JobState::AwaitVersion, false},
        {Outcome::AccessDenied, JobState::AwaitAccess, false},
        {Outcome::TransferFailed, JobState::Transfer, false},
        {Outcome::RefusedByRecorder, JobState::AwaitResult, false},
        {Outcome::PortUnavailable, JobState::Idle, false},
        {Outcome::Aborted, JobState::Transfer, false},
        {Outcome::Succeeded, JobState::AwaitResult, false},
        // The update went through; only its new version did not show.
        {Outcome::NotVerified, JobState::AwaitResult, false},
        {Outcome::Verified, JobState::AwaitResult, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MayRetry(Ended(c.kind, c.reached)), c.retry)
            << OutcomeName(c.kind) << " in state " << static_cast<int>(c.reached);
    }
}

TEST(RetryPolicy, WaitsDoubleUpToHalfAMinuteLessAFifthAtMost) {
    const struct {
        int failed;
        std::uint32_t longest;
    } cases[] = {{1, 1000}, {2, 2000}, {3, 4000}, {4, 8000}, {5, 16000}, {6, 30000}, {50, 30000}};
    for (const auto& c : cases) {
        EXPECT_EQ(RetryDelayMs(c.failed, 0), c.longest) << c.failed;
        EXPECT_EQ(RetryDelayMs(c.failed, 0x80000000u), c.longest - c.longest / 10) << c.failed;
        const std::uint32_t shortest = RetryDelayMs(c.failed, 0xFFFFFFFFu);
        EXPECT_GT(shortest, c.longest - c.longest / 5) << c.failed;
        EXPECT_LE(shortest, c.longest) << c.failed;
    }
}

}  // namespace
}  // namespace trelvo
