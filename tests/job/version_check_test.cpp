#include "job/version_check.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace trelvo {
namespace {

TEST(ReadAtoi, ReadsLikeTheCFunction) {
    struct Case {
        const char* text;
        int number;
    };
    const Case cases[] = {
        {"", 0},
        {"42", 42},
        {"  \t\n42", 42},
        {"+7", 7},
        {"-7", -7},
        {"12abc", 12},
        {"abc", 0},
        {"- 5", 0},
        {"007", 7},
        {"3.5", 3},
        {"\v\f\r9", 9},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadAtoi(c.text), c.number) << '"' << c.text << '"';
    }
}

TEST(CheckVersionText, AcceptsQrbOrTwoZeroSixtyAndLater) {
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"2.0.60", true},
        {"2.0.59", false},
        {"2.1.0", true},
        {"1.9.99", false},
        {"3.0.0", true},
        {"10.0.0", true},
        {"QRB", true},
        {"QRB-1.0", true},
        {"QRBanything", true},
        {"qrb 5.0.0", false},  // judged by its numbers: no major before the dot
        {"qrb.0.60", false},
        {"QR", false},
        {"2.1", false},  // no second dot: patch is read from "2.1" as 2
        {"3", false},    // no dot at all: major reads as 0
        {"", false},
        {"2..60", true},
        {"2.0.60abc", true},
        {"2.0.600", true},
        {"2.0.", false},
        {"2.-1.99", false},
        {"02.00.060", true},
        {" 2. 0. 60", true},
        {"2.0.60.1", true},
        {"-3.0.0", false},
        {"1.99.99", false},
        {"V2.0.60", false},
        {"99999999999.0.0", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckVersionText(c.text), c.accepted) << '"' << c.text << '"';
    }
}

TEST(VersionTextOf, SkipsFourBytesAndEndsAtTheFirstNul) {
    struct Case {
        std::string body;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", ""},
        {"abcd", ""},
        {"abcd2", "2"},
        {std::string("abcd2.0.60") + '\0', "2.0.60"},
        {"abcd2.0.60", "2.0.60"},
        {std::string("abcd1.0") + '\0' + "3.0.0", "1.0"},
        {std::string("ab") + '\0' + "d2.0.60", "2.0.60"},
        {std::string("abcd") + '\0' + "2.0.60", ""},
    };
    for (const Case& c : cases) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.body.data());
        EXPECT_EQ(VersionTextOf({bytes, c.body.size()}), c.text) << c.body;
    }
}

}  // namespace
}  // namespace trelvo
