#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo {

// The most addresses one discovery asks, all ranges together: a /16.
inline constexpr std::uint64_t MAX_DISCOVER_ADDRESSES = 65536;

// Inclusive IPv4 addresses in host byte order.
struct AddressBlock {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

// The addresses of every range given, each once, as blocks in ascending
// order that neither overlap nor touch; or why the ranges were refused.
struct AddressRanges {
    std::vector<AddressBlock> blocks;
    std::uint64_t count = 0;
    std::string error;  // empty when the ranges are good

    bool ok() const { return error.empty(); }
};

// Each text is one address ("192.168.1.7"), a CIDR block ("192.168.1.0/24";
// host bits are ignored, so "192.168.1.7/24" is the same block) or a
// first-last range ("192.168.1.10-192.168.1.40"). Addresses are four decimal parts without
// leading zeros, which some tools would read as octal. Overlapping ranges
// are merged; more than MAX_DISCOVER_ADDRESSES in all is an error.
AddressRanges ParseAddressRanges(const std::vector<std::string>& texts);

// "a.b.c.d" for an address in host byte order.
std::string DottedAddress(std::uint32_t address);

}  // namespace trelvo
