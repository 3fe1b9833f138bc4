#include "link/send_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace trelvo {
namespace {

// The block grows only when a hand-over would not fit, to exactly the size needed.
struct Growth {
    int pending;
    int added;
    int capacity;
};

class SendBufferGrowth : public ::testing::TestWithParam<Growth> {};

TEST_P(SendBufferGrowth, GrowsToExactlyWhatIsNeeded) {
    const Growth growth = GetParam();
    const std::vector<std::uint8_t> bytes(20000, 7);
    SendBuffer buffer;
    buffer.Append(bytes.data(), growth.pending);
    buffer.Append(bytes.data(), growth.added);
    EXPECT_EQ(buffer.capacity(), growth.capacity);
    EXPECT_EQ(buffer.pendingLength(), growth.pending + growth.added);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SendBufferGrowth,
                         ::testing::Values(Growth{0, 100, 10000}, Growth{0, 12000, 12000},
                                           Growth{9000, 1000, 10000}, Growth{9000, 1001, 10001}));

TEST(SendBuffer, WhatIsLeftMovesToTheFrontAndNothingStaysBehind) {
    std::vector<std::uint8_t> bytes(300);
    std::iota(bytes.begin(), bytes.end(), 1);
    SendBuffer buffer;
    buffer.Append(bytes.data(), 300);
    buffer.Consume(100);
    ASSERT_EQ(buffer.pendingLength(), 200);
    EXPECT_TRUE(std::equal(bytes.begin() + 100, bytes.end(), buffer.pending()));
    buffer.Drop();
    EXPECT_EQ(buffer.pendingLength(), 0);
    EXPECT_TRUE(std::all_of(buffer.block().begin(), buffer.block().end(),
                            [](std::uint8_t byte) { return byte == 0; }));
}

}  // namespace
}  // namespace trelvo
