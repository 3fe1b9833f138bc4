#include "tools/recorder-sim/fault_plan.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace trelvo {
namespace {

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

// The options of a command line; the caller keeps them while their plan
// lives, as the server does.
SimOptions Options(const std::vector<std::string_view>& args) {
    ParsedOptions parsed = ParseSimOptions(args);
    EXPECT_TRUE(parsed.options) << parsed.error;
    return parsed.options.value_or(SimOptions{});
}

struct ReadCase {
    std::vector<std::string_view> args;
    std::uint64_t received;
    std::uint64_t room;
    bool cutOff;
};

TEST(FaultPlan, ReadsUpToTheNearerLimitAndCutsOffOnlyAtCloseAfterBytes) {
    const ReadCase cases[] = {
        {{}, 0, kNoLimit, false},
        {{}, 1'000'000, kNoLimit, false},
        // 0 cuts a connection off as soon as it is accepted.
        {{"--close-after-bytes", "0"}, 0, 0, true},
        {{"--close-after-bytes", "10"}, 4, 6, false},
        {{"--close-after-bytes", "10"}, 9, 1, false},
        {{"--close-after-bytes", "10"}, 10, 0, true},
        {{"--close-after-bytes", "10"}, 12, 0, true},
        // Holding CTS off stops the reads but keeps the line.
        {{"--stop-reading-after", "10"}, 10, 0, false},
        {{"--stop-reading-after", "10"}, 11, 0, false},
        {{"--close-after-bytes", "20", "--stop-reading-after", "8"}, 5, 3, false},
        {{"--close-after-bytes", "8", "--stop-reading-after", "20"}, 5, 3, false},
        {{"--close-after-bytes", "8", "--stop-reading-after", "20"}, 8, 0, true},
    };
    for (const ReadCase& c : cases) {
        const SimOptions options = Options(c.args);
        const FaultPlan plan(options);
        SCOPED_TRACE(testing::PrintToString(c.args) + " after " + std::to_string(c.received));
        EXPECT_EQ(plan.ReadRoom(c.received), c.room);
        EXPECT_EQ(plan.CutOffDue(c.received), c.cutOff);
    }
}

struct WithholdCase {
    std::vector<std::string_view> args;
    std::uint64_t repliesSent;
    std::optional<std::string_view> why;
};

TEST(FaultPlan, WithholdsRepliesWhenSilentOrBabbling) {
    const WithholdCase cases[] = {
        {{}, 0, std::nullopt},
        {{}, 100, std::nullopt},
        {{"--silent-after", "0"}, 0, "silent"},
        {{"--silent-after", "2"}, 1, std::nullopt},
        {{"--silent-after", "2"}, 2, "silent"},
        {{"--silent-after", "2"}, 3, "silent"},
        {{"--babble-ms", "5"}, 0, "babbling"},
        {{"--babble-ms", "5", "--silent-after", "1"}, 0, "babbling"},
        {{"--babble-ms", "5", "--silent-after", "1"}, 1, "silent"},
        {{"--delay-ms", "50"}, 0, std::nullopt},
    };
    for (const WithholdCase& c : cases) {
        const SimOptions options = Options(c.args);
        const FaultPlan plan(options);
        SCOPED_TRACE(testing::PrintToString(c.args) + " after " + std::to_string(c.repliesSent));
        EXPECT_EQ(plan.Withholds(c.repliesSent), c.why);
    }
}

struct ExactReadCase {
    std::vector<std::string_view> args;
    bool countsEveryByte;
};

// Batched reads would let a fault that falls on a byte come late.
TEST(FaultPlan, CountsEveryByteOnlyWhenAFaultFallsOnOne) {
    const ExactReadCase cases[] = {
        {{}, false},
        {{"--close-after-bytes", "100"}, true},
        {{"--stop-reading-after", "100"}, true},
        {{"--hang-up-at", "file"}, true},
        {{"--hang-up-at", "version"}, false},
        {{"--hang-up-at", "result", "--reset"}, false},
        {{"--silent-after", "1"}, false},
        {{"--delay-ms", "10"}, false},
        {{"--babble-ms", "10"}, false},
    };
    for (const ExactReadCase& c : cases) {
        const SimOptions options = Options(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(FaultPlan(options).CountsEveryByte(), c.countsEveryByte);
    }
}

struct RefuseCase {
    std::vector<std::string_view> args;
    std::vector<std::optional<std::uint64_t>> answers;  // one per accepted connection
};

TEST(FaultPlan, RefusesTheFirstConnectionsAndNoneAfter) {
    const RefuseCase cases[] = {
        {{}, {std::nullopt, std::nullopt}},
        {{"--refuse-first", "1"}, {1, std::nullopt, std::nullopt}},
        {{"--refuse-first", "3"}, {1, 2, 3, std::nullopt, std::nullopt}},
    };
    for (const RefuseCase& c : cases) {
        const SimOptions options = Options(c.args);
        FaultPlan plan(options);
        SCOPED_TRACE(testing::PrintToString(c.args));
        for (const std::optional<std::uint64_t>& answer : c.answers) {
            EXPECT_EQ(plan.RefuseNext(), answer);
        }
    }
}

TEST(FaultPlan, BabblesAndDelaysOnlyWhenTold) {
    const SimOptions quiet = Options({});
    EXPECT_FALSE(FaultPlan(quiet).BabbleEvery());
    EXPECT_EQ(FaultPlan(quiet).ReplyDelay().count(), 0);
    const SimOptions noisy = Options({"--babble-ms", "30", "--delay-ms", "250"});
    EXPECT_EQ(FaultPlan(noisy).BabbleEvery(), std::chrono::milliseconds(30));
    EXPECT_EQ(FaultPlan(noisy).ReplyDelay(), std::chrono::milliseconds(250));
}

}  // namespace
}  // namespace trelvo
