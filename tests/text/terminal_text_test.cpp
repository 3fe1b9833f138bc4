#include "job/text/terminal_text.h"

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

}  // namespace
}  // namespace trelvo
