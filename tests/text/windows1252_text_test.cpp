#include "text/windows1252_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo {
namespace {

// UTF-8 texts and their Windows-1252 bytes, or nothing when the code page
// cannot carry them.
struct Case {
    const char* utf8;
    std::optional<std::string> bytes;
};
const Case kCases[] = {
    {"admin", "admin"},
    {"p\xc3\xa4sswort", "p\xe4sswort"},          // ä is Latin-1
    {"\xe2\x82\xac 5 \xc5\xbd", "\x80 5 \x8e"},  // € and Ž live in 0x80-0x9F
    {"\xc3\xbf", "\xff"},                        // ÿ, the last byte
    {"", ""},
    {"\xe2\x98\x83", std::nullopt},  // a snowman: no byte for it
    {"\xc2\x81", std::nullopt},      // U+0081: 0x81 is unassigned
    {"\xff", std::nullopt},          // not UTF-8
    {"\xc3", std::nullopt},          // cut short
    {"\xc0\xa0", std::nullopt},      // overlong
    {"\xed\xa0\x80", std::nullopt},  // a surrogate
};

TEST(Utf8ToWindows1252, CarriesWhatTheCodePageHasAndRefusesTheRest) {
    for (const Case& c : kCases) {
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.bytes) << c.utf8;
    }
}

TEST(ToWindows1252, ConvertsASecretOrLeavesItAsItWas) {
    for (const Case& c : kCases) {
        Secret secret(std::string{c.utf8});
        EXPECT_EQ(ToWindows1252(secret), c.bytes.has_value()) << c.utf8;
        EXPECT_EQ(secret.text(), c.bytes.value_or(c.utf8)) << c.utf8;
    }
}

// Names from a hosts file are bytes: every byte has its character, and the
// way back gives exactly the bytes, the unassigned ones included.
TEST(Windows1252ToUtf8, EveryByteComesBackWhole) {
    EXPECT_EQ(Windows1252ToUtf8("B\xfcro-Rek"), "B\xc3\xbcro-Rek");
    EXPECT_EQ(Windows1252ToUtf8("\x80 \x9f"), "\xe2\x82\xac \xc5\xb8");  // € and Ÿ
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xc2\x81");
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all), Unassigned::FromC1Controls), all);
    // Operator texts still refuse what the code page leaves unassigned.
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), std::nullopt);
}

}  // namespace
}  // namespace trelvo
