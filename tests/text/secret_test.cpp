#include "text/secret.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace trelvo {
namespace {

bool AllZero(const char* bytes, std::size_t size) {
    return std::all_of(bytes, bytes + size, [](char c) { return c == 0; });
}

// Short texts live inside the string object, long ones on the heap: both
// must be left without a trace.
const std::string kTexts[] = {"p\xE4\x80", std::string(40, 'x')};

TEST(Secret, TakeLeavesTheSourceEmptyAndWiped) {
    for (const std::string& text : kTexts) {
        std::string source = text;
        const char* const storage = source.data();
        const std::size_t size = source.size();
        Secret secret;
        secret.Take(source);
        EXPECT_EQ(secret.text(), text);
        EXPECT_TRUE(source.empty());
        // Either the storage went over to the secret, or it was wiped in place.
        if (source.data() == storage) {
            EXPECT_TRUE(AllZero(storage, size));
        }
    }
}

TEST(Secret, WipeOverwritesInPlaceAlsoBytesBeyondTheEnd) {
    for (const std::string& text : kTexts) {
        std::string source = text;
        Secret secret(std::move(source));
        // A text that got shorter keeps its old last byte in its storage.
        std::string shorter = text + "\r";
        shorter.pop_back();
        secret.Take(shorter);
        const char* const storage = secret.text().data();
        const std::size_t capacity = secret.text().capacity();
        secret.Wipe();
        EXPECT_TRUE(secret.empty());
        EXPECT_EQ(secret.text().data(), storage);
        EXPECT_TRUE(AllZero(storage, capacity));
    }
}

TEST(Secret, MovingLeavesTheSourceEmptyAndWiped) {
    for (const std::string& text : kTexts) {
        std::string source = text;
        Secret from(std::move(source));
        const char* const storage = from.text().data();
        const std::size_t size = text.size();

        Secret to(std::move(from));
        EXPECT_EQ(to.text(), text);
        EXPECT_TRUE(from.empty());  // NOLINT(bugprone-use-after-move): what a move leaves
        if (from.text().data() == storage) {
            EXPECT_TRUE(AllZero(storage, size));
        }

        Secret assigned;
        assigned = std::move(to);
        EXPECT_EQ(assigned.text(), text);
        EXPECT_TRUE(to.empty());  // NOLINT(bugprone-use-after-move): what a move leaves
    }
}

}  // namespace
}  // namespace trelvo
