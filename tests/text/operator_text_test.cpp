#include "text/operator_text.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "operator_text_cases.h"

namespace trelvo {
namespace {

TEST(OperatorText, EveryCharacterClassAsTypedAndAsFileBytes) {
    for (const OperatorTextCase& c : OperatorTextCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckOperatorText(c.utf8), c.refusal);
        const std::optional<std::string> bytes = OperatorTextBytes(c.utf8);
        EXPECT_EQ(bytes.has_value(), c.refusal == TextRefusal::None);
        if (bytes && c.bytes) {
            EXPECT_EQ(*bytes, *c.bytes);
        }
        // A password is converted in place, or left exactly as it was.
        Secret secret(std::string{c.utf8});
        EXPECT_EQ(ToOperatorTextBytes(secret), c.refusal);
        EXPECT_EQ(secret.text(), c.refusal == TextRefusal::None ? *c.bytes : c.utf8);
        if (c.bytes) {
            EXPECT_EQ(CheckOperatorBytes(*c.bytes), c.bytesRefusal);
        }
        EXPECT_EQ(TextRefusalText(c.refusal).empty(), c.refusal == TextRefusal::None);
    }
}

// The edits' rule, character by character, and the texts' rule agree; the
// code page's 256 bytes less 32 C0 controls, DEL and 5 unassigned remain.
TEST(OperatorText, TypableCharactersAreThoseTheRuleKeeps) {
    int typable = 0;
    for (char32_t character = 0; character < 0x10000; ++character) {
        const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
        std::string utf8;
        if (!surrogate) {
            // The character as UTF-8, through the rule's own decoding back.
            if (character < 0x80) {
                utf8 = std::string(1, static_cast<char>(character));
            } else if (character < 0x800) {
                utf8 = {static_cast<char>(0xC0 | (character >> 6)),
                        static_cast<char>(0x80 | (character & 0x3F))};
            } else {
                utf8 = {static_cast<char>(0xE0 | (character >> 12)),
                        static_cast<char>(0x80 | ((character >> 6) & 0x3F)),
                        static_cast<char>(0x80 | (character & 0x3F))};
            }
        }
        const bool kept = !surrogate && CheckOperatorText(utf8) == TextRefusal::None;
        ASSERT_EQ(IsTypableWindows1252(character), kept) << static_cast<std::uint32_t>(character);
        typable += kept ? 1 : 0;
    }
    EXPECT_EQ(typable, 218);
}

}  // namespace
}  // namespace trelvo
