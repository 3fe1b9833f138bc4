#include "fleet/address_range.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace trelvo {
namespace {

// A decimal number of at most `digits` digits without sign or leading zero.
std::optional<std::uint32_t> Decimal(std::string_view text, std::size_t digits) {
    if (text.empty() || text.size() > digits || (text.size() > 1 && text.front() == '0')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> Dotted(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<std::uint32_t> value = Decimal(text.substr(0, dot), 3);
        if (!value || *value > 255) {
            return std::nullopt;
        }
        address = address << 8 | *value;
        text.remove_prefix(std::min(dot + 1, text.size()));
    }
    return address;
}

// One range's block, or a message saying what is wrong with it.
std::optional<AddressBlock> ParseOne(std::string_view text, std::string& error) {
    const auto bad = [&](const std::string& why) {
        error = "bad range " + std::string(text) + ": " + why;
        return std::nullopt;
    };
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
        const std::optional<std::uint32_t> address = Dotted(text.substr(0, slash));
        const std::optional<std::uint32_t> bits = Decimal(text.substr(slash + 1), 2);
        if (!address) {
            return bad("no IPv4 address before the /");
        }
        if (!bits || *bits > 32) {
            return bad("the prefix length after the / must be 0 to 32");
        }
        const std::uint32_t hostMask = *bits == 0 ? ~0U : (1U << (32 - *bits)) - 1;
        return AddressBlock{*address & ~hostMask, *address | hostMask};
    }
    if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        const std::optional<std::uint32_t> first = Dotted(text.substr(0, dash));
        const std::optional<std::uint32_t> last = Dotted(text.substr(dash + 1));
        if (!first || !last) {
            return bad("a range is two IPv4 addresses, first-last");
        }
        if (*first > *last) {
            return bad("the first address comes after the last");
        }
        return AddressBlock{*first, *last};
    }
    // A lone address is the block of just that address.
    if (const std::optional<std::uint32_t> address = Dotted(text)) {
        return AddressBlock{*address, *address};
    }
    return bad(
        "give an address (192.168.1.7), a CIDR block (192.168.1.0/24) or first-last "
        "(192.168.1.10-192.168.1.40)");
}

}  // namespace

AddressRanges ParseAddressRanges(const std::vector<std::string>& texts) {
    AddressRanges ranges;
    if (texts.empty()) {
        ranges.error = "name at least one RANGE of addresses";
        return ranges;
    }
    std::vector<AddressBlock> blocks;
    for (const std::string& text : texts) {
        const std::optional<AddressBlock> block = ParseOne(text, ranges.error);
        if (!block) {
            return ranges;
        }
        blocks.push_back(*block);
    }
    std::sort(blocks.begin(), blocks.end(),
              [](const AddressBlock& a, const AddressBlock& b) { return a.first < b.first; });
    for (const AddressBlock& block : blocks) {
        // Blocks that overlap or touch become one, so no address is asked twice.
        if (!ranges.blocks.empty() &&
            std::uint64_t{block.first} <= std::uint64_t{ranges.blocks.back().last} + 1) {
            ranges.blocks.back().last = std::max(ranges.blocks.back().last, block.last);
        } else {
            ranges.blocks.push_back(block);
        }
    }
    for (const AddressBlock& block : ranges.blocks) {
        ranges.count += std::uint64_t{block.last} - block.first + 1;
    }
    if (ranges.count > MAX_DISCOVER_ADDRESSES) {
        ranges.error = "the ranges hold " + std::to_string(ranges.count) + " addresses; at most " +
                       std::to_string(MAX_DISCOVER_ADDRESSES) + " in all";
        ranges.blocks.clear();
    }
    return ranges;
}

std::string DottedAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xFF) + '.' +
           std::to_string(address >> 8 & 0xFF) + '.' + std::to_string(address & 0xFF);
}

}  // namespace trelvo
