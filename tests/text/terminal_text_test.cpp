#include "text/terminal_text.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

TEST(TerminalSafe, EscapesControlsAndBytesThatAreNotUtf8) {
    EXPECT_EQ(TerminalSafe("Prüfer € ok"), "Prüfer € ok");
    EXPECT_EQ(TerminalSafe("a\tb\x7f"), "a\\x09b\\x7f");
    // C1 controls, as UTF-8 and as raw bytes (0x9b opens a sequence on some terminals).
    EXPECT_EQ(TerminalSafe("\xc2\x9b"
                           "2J"),
              "\\xc2\\x9b2J");
    EXPECT_EQ(TerminalSafe("\x9b"
                           "2J\xe4"),
              "\\x9b2J\\xe4");
}

// A recorder's text is kept to MAX_KEPT_TEXT characters, the last one
// Windows-1252's ellipsis when the text was longer.
TEST(CutToKeptLength, KeepsShortTextsAndMarksTheCut) {
    const struct {
        std::string text;
        std::string kept;
    } cases[] = {
        {"", ""},
        {"2.0.60", "2.0.60"},
        {std::string(256, 'v'), std::string(256, 'v')},
        {std::string(257, 'v'), std::string(255, 'v') + '\x85'},
        {std::string(1 << 20, 'v'), std::string(255, 'v') + '\x85'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutToKeptLength(c.text), c.kept) << c.text.size();
    }
    EXPECT_EQ(TerminalSafeWindows1252("B\xfc\x80ro\x85\x81"), "Bü€ro…\\xc2\\x81");
}

}  // namespace
}  // namespace trelvo
