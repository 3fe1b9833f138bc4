#include "fleet/target_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace trelvo {
namespace {

// A report shows a name as UTF-8 and must give back the very bytes, so that
// --retry-failed reaches the same recorder.
TEST(TargetName, TextAndBytesMakeTheRoundTrip) {
    const struct {
        RecorderTarget target;
        const char* text;
    } cases[] = {
        {{0, "rec-1", false}, "rec-1"},
        {{0, "B\xfcro-Rek", false}, "B\xc3\xbcro-Rek"},
        {{0, "\x80\x9f", false}, "\xe2\x82\xac\xc5\xb8"},     // € and Ÿ
        {{0, "/dev/tty\xc3\x9c", true}, "/dev/tty\xc3\x9c"},  // a path stays as it is
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TargetNameText(c.target), c.text);
        EXPECT_EQ(TargetNameBytes(c.text, c.target.serial), c.target.name) << c.text;
    }
    // No host name read in was ever written so: the reader sets aside
    // names with unassigned bytes, and none holds a snowman.
    EXPECT_EQ(TargetNameBytes("\xc2\x81", false), std::nullopt);
    EXPECT_EQ(TargetNameBytes("\xe2\x98\x83", false), std::nullopt);
    EXPECT_EQ(TargetNameBytes("\xff", false), std::nullopt);
}

}  // namespace
}  // namespace trelvo
