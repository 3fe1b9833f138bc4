#include "job/version_check.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace trelvo {
namespace {

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int kMinimumMajor = 2;
constexpr int kMinimumMinor = 0;
constexpr int kMinimumPatch = 60;

constexpr std::size_t kVersionTextOffset = 4;

}  // namespace

int ReadAtoi(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<std::int64_t>(INT_MAX) + 1) {
            magnitude = static_cast<std::int64_t>(INT_MAX) + 1;
        }
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    return static_cast<int>(number > INT_MAX ? INT_MAX : number);
}

bool CheckVersionText(std::string_view text) {
    if (text.substr(0, 3) == "QRB") {
        return true;
    }
    // Without a dot there is no major part, so the major reads as 0.
    const std::size_t firstDot = text.find('.');
    const int major = firstDot == std::string_view::npos ? 0 : ReadAtoi(text.substr(0, firstDot));
    if (major != kMinimumMajor) {
        return major > kMinimumMajor;
    }
    const std::size_t secondDot = text.find('.', firstDot + 1);
    if (secondDot == std::string_view::npos) {
        // No minor part (reads as 0), and the patch is read from the whole
        // text: "2.1" becomes patch 2 and is refused.
        return ReadAtoi(text) >= kMinimumPatch;
    }
    const int minor = ReadAtoi(text.substr(firstDot + 1, secondDot - firstDot - 1));
    if (minor != kMinimumMinor) {
        return minor > kMinimumMinor;
    }
    return ReadAtoi(text.substr(secondDot + 1)) >= kMinimumPatch;
}

std::string VersionTextOf(std::span<const std::uint8_t> body) {
    if (body.size() <= kVersionTextOffset) {
        return {};
    }
    const auto begin = body.begin() + kVersionTextOffset;
    return std::string(begin, std::find(begin, body.end(), std::uint8_t{0}));
}

}  // namespace trelvo
