#include "job/windows1252_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace trelvo {
namespace {

TEST(Utf8ToWindows1252, CarriesWhatTheCodePageHasAndRefusesTheRest) {
    struct Case {
        const char* utf8;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.bytes) << c.utf8;
    }
}

}  // namespace
}  // namespace trelvo
