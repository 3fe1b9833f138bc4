#include "fleet/address_range.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

struct Block {
    const char* first;
    const char* last;
};

TEST(AddressRanges, GoodRangesGiveEveryAddressOnceInOrder) {
    struct Case {
        std::vector<std::string> ranges;
        std::vector<Block> blocks;
        std::uint64_t count;
    };
    const Case cases[] = {
        {{"192.168.1.0/24"}, {{"192.168.1.0", "192.168.1.255"}}, 256},
        // Host bits are ignored: the block the address lies in.
        {{"192.168.1.77/24"}, {{"192.168.1.0", "192.168.1.255"}}, 256},
        {{"10.0.0.5/32"}, {{"10.0.0.5", "10.0.0.5"}}, 1},
        // A lone address is a range of one.
        {{"127.0.0.50"}, {{"127.0.0.50", "127.0.0.50"}}, 1},
        {{"127.0.0.50", "127.0.0.49/32"}, {{"127.0.0.49", "127.0.0.50"}}, 2},
        {{"10.1.2.3/31"}, {{"10.1.2.2", "10.1.2.3"}}, 2},
        {{"127.42.0.0/16"}, {{"127.42.0.0", "127.42.255.255"}}, 65536},
        {{"192.168.1.10-192.168.1.40"}, {{"192.168.1.10", "192.168.1.40"}}, 31},
        {{"10.0.0.9-10.0.0.9"}, {{"10.0.0.9", "10.0.0.9"}}, 1},
        {{"0.0.0.0-0.0.0.3"}, {{"0.0.0.0", "0.0.0.3"}}, 4},
        {{"255.255.255.254/31"}, {{"255.255.255.254", "255.255.255.255"}}, 2},
        // Sorted, and overlapping or touching ranges merged.
        {{"10.0.1.0/24", "10.0.0.0/24"}, {{"10.0.0.0", "10.0.1.255"}}, 512},
        {{"10.0.0.0/24", "10.0.0.10-10.0.0.20"}, {{"10.0.0.0", "10.0.0.255"}}, 256},
        {{"10.0.0.5-10.0.0.9", "10.0.0.1-10.0.0.3"},
         {{"10.0.0.1", "10.0.0.3"}, {"10.0.0.5", "10.0.0.9"}},
         8},
        // Overlaps count once towards the limit.
        {{"127.42.0.0/16", "127.42.7.0/24"}, {{"127.42.0.0", "127.42.255.255"}}, 65536},
    };
    for (const Case& c : cases) {
        const AddressRanges parsed = ParseAddressRanges(c.ranges);
        ASSERT_TRUE(parsed.ok()) << c.ranges[0] << ": " << parsed.error;
        EXPECT_EQ(parsed.count, c.count) << c.ranges[0];
        ASSERT_EQ(parsed.blocks.size(), c.blocks.size()) << c.ranges[0];
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            EXPECT_EQ(DottedAddress(parsed.blocks[i].first), c.blocks[i].first) << c.ranges[0];
            EXPECT_EQ(DottedAddress(parsed.blocks[i].last), c.blocks[i].last) << c.ranges[0];
        }
    }
}

TEST(AddressRanges, BadRangesSayWhatIsWrong) {
    struct Case {
        std::vector<std::string> ranges;
        const char* says;
    };
    const Case cases[] = {
        {{}, "at least one RANGE"},
        {{"192.168.1.256"}, "give an address"},
        {{"192.168.1"}, "give an address"},
        {{"rec17"}, "give an address"},
        {{"rec-17"}, "two IPv4 addresses"},
        {{""}, "give an address"},
        {{"192.168.1.0/33"}, "0 to 32"},
        {{"192.168.1.0/"}, "0 to 32"},
        {{"192.168.1.0/-1"}, "0 to 32"},
        {{"192.168.1.0/024"}, "0 to 32"},
        {{"192.168.1/24"}, "no IPv4 address"},
        {{"192.168.1.256/24"}, "no IPv4 address"},
        {{"192.168.01.0/24"}, "no IPv4 address"},
        {{" 192.168.1.0/24"}, "no IPv4 address"},
        {{"192.168.1.0.0/24"}, "no IPv4 address"},
        {{"192.168.1.0/24/8"}, "0 to 32"},
        {{"10.0.0.9-10.0.0.1"}, "first address comes after the last"},
        {{"10.0.0.1-"}, "two IPv4 addresses"},
        {{"10.0.0.1-10.0.0"}, "two IPv4 addresses"},
        {{"10.0.0.1--10.0.0.5"}, "two IPv4 addresses"},
        {{"10.0.0.1-10.0.0.5-10.0.0.7"}, "two IPv4 addresses"},
        {{"10.0.0.0/15"}, "131072 addresses; at most 65536"},
        {{"0.0.0.0/0"}, "4294967296 addresses"},
        {{"127.42.0.0/16", "127.43.0.0/31"}, "65538 addresses"},
        {{"10.0.0.0/24", "nonsense"}, "bad range nonsense"},
    };
    for (const Case& c : cases) {
        const AddressRanges parsed = ParseAddressRanges(c.ranges);
        const std::string first = c.ranges.empty() ? "(none)" : c.ranges[0];
        EXPECT_FALSE(parsed.ok()) << first;
        EXPECT_NE(parsed.error.find(c.says), std::string::npos) << first << ": " << parsed.error;
        EXPECT_TRUE(parsed.blocks.empty()) << first;
    }
}

}  // namespace
}  // namespace trelvo
