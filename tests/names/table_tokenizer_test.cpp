#include "names/table_tokenizer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "scratch_dir.h"

namespace trelvo {
namespace {

struct Delivered {
    std::int32_t type;
    std::string text;
    std::int32_t stateDuringCall;

    bool operator==(const Delivered&) const = default;
    friend void PrintTo(const Delivered& d, std::ostream* os) {
        *os << "{type " << d.type << ", \"" << d.text << "\", state " << d.stateDuringCall << "}";
    }
};

// Starts in state 0 with the given rows and records every token it is handed.
class RecordingTokenizer : public TableTokenizer {
public:
    RecordingTokenizer(std::initializer_list<Transition> rows) : TableTokenizer(0) {
        for (const Transition& row : rows) {
            EXPECT_TRUE(AddTransition(row.from, row.symbol, row.to));
        }
    }

    std::vector<Delivered> delivered;
    bool refuseTokens = false;
    bool scribbleOnTokens = false;

protected:
    bool OnToken(std::int32_t type) override {
        delivered.push_back({type, token(), state()});
        if (scribbleOnTokens) {
            mutableToken() += "scribble";
        }
        return !refuseTokens;
    }
};

void Feed(TableTokenizer& tokenizer, std::string_view bytes) {
    for (const char byte : bytes) {
        EXPECT_TRUE(tokenizer.Step(static_cast<unsigned char>(byte)));
    }
}

TEST(CharacterClasses, AcceptAsciiRangesOnly) {
    struct Case {
        std::int32_t c;
        bool ident;
        bool digit;
        bool letter;
    };
    const Case cases[] = {
        {'0', true, true, false},          {'9', true, true, false},
        {'/', false, false, false},        {':', false, false, false},
        {'a', true, false, true},          {'z', true, false, true},
        {'`', false, false, false},        {'{', false, false, false},
        {'A', true, false, true},          {'Z', true, false, true},
        {'@', false, false, false},        {'[', false, false, false},
        {'_', true, false, false},         {' ', false, false, false},
        {0, false, false, false},          {127, false, false, false},
        {128, false, false, false},        {0xC4, false, false, false},
        {0xE9, false, false, false},       {255, false, false, false},
        {256 + 'a', false, false, false},  {SYM_EOF, false, false, false},
        {-256 + '5', false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TableTokenizer::IsIdentChar(c.c), c.ident) << c.c;
        EXPECT_EQ(TableTokenizer::IsDigitChar(c.c), c.digit) << c.c;
        EXPECT_EQ(TableTokenizer::IsLetterChar(c.c), c.letter) << c.c;
    }
}

TEST(Step, EmptyTableAcceptsEverythingAndDeliversNothing) {
    RecordingTokenizer tokenizer({});
    for (std::int32_t input = SYM_EOF; input <= 255; ++input) {
        EXPECT_TRUE(tokenizer.Step(input));
    }
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "");
    EXPECT_TRUE(tokenizer.delivered.empty());

    ScratchDir dir;
    EXPECT_TRUE(tokenizer.ParseFile(dir.Write("hosts", "anything\n")));
}

TEST(Step, ExactRowsNeverAddTheirByte) {
    RecordingTokenizer tokenizer({{0, 'a', 1}, {1, 'b', 0}});
    Feed(tokenizer, "ab");
    EXPECT_EQ(tokenizer.delivered, (std::vector<Delivered>{{0, "", 1}, {1, "", 0}}));
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "");
}

TEST(Step, StateChangingAnyRowProcessesItsInputAgain) {
    RecordingTokenizer tokenizer({{0, SYM_ANY, 1}, {1, SYM_ANY, 1}});
    Feed(tokenizer, "xy");
    EXPECT_EQ(tokenizer.delivered, (std::vector<Delivered>{{0, "", 1}}));
    EXPECT_EQ(tokenizer.state(), 1);
    EXPECT_EQ(tokenizer.token(), "xy");

    EXPECT_TRUE(tokenizer.Step(SYM_EOF));
    EXPECT_EQ(tokenizer.token(), "xy\xFF");
}

TEST(Step, StateChangingClassRowStartsTheNewTokenWithItsByte) {
    RecordingTokenizer tokenizer({{0, SYM_LETTER, 0}, {0, SYM_DIGIT, 1}, {1, SYM_DIGIT, 1}});
    ScratchDir dir;
    EXPECT_TRUE(tokenizer.ParseFile(dir.Write("hosts", "ab12")));
    EXPECT_EQ(tokenizer.delivered, (std::vector<Delivered>{{0, "ab", 1}}));
    EXPECT_EQ(tokenizer.state(), 1);
    EXPECT_EQ(tokenizer.token(), "12");
}

TEST(Step, FirstMatchingRowWins) {
    RecordingTokenizer tokenizer({{0, SYM_ANY, 0}, {0, 'x', 1}, {0, SYM_LETTER, 2}});
    Feed(tokenizer, "xx");
    EXPECT_TRUE(tokenizer.delivered.empty());
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "xx");

    RecordingTokenizer exactFirst({{0, 'x', 0}, {0, SYM_ANY, 0}});
    Feed(exactFirst, "xyx");
    EXPECT_EQ(exactFirst.token(), "y");
}

TEST(Step, HighBytesNeverMatchAClassRow) {
    RecordingTokenizer tokenizer({{0, SYM_IDENT, 1}, {0, SYM_DIGIT, 1}, {0, SYM_LETTER, 1}});
    for (std::int32_t byte = 128; byte <= 255; ++byte) {
        EXPECT_TRUE(tokenizer.Step(byte));
    }
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "");

    Feed(tokenizer, "a");
    EXPECT_EQ(tokenizer.state(), 1);
    EXPECT_EQ(tokenizer.token(), "a");
}

TEST(Step, EditsMadeByTheCallbackAreEmptiedAfterwards) {
    RecordingTokenizer tokenizer({{0, 'a', 1}, {1, SYM_ANY, 1}});
    tokenizer.scribbleOnTokens = true;
    Feed(tokenizer, "ab");
    EXPECT_EQ(tokenizer.token(), "b");
}

TEST(Step, RefusedTokenStopsBeforeTheInputIsProcessedAgain) {
    RecordingTokenizer tokenizer({{0, SYM_LETTER, 0}, {0, SYM_ANY, 1}, {1, SYM_ANY, 1}});
    Feed(tokenizer, "a");
    tokenizer.refuseTokens = true;
    EXPECT_FALSE(tokenizer.Step('1'));
    EXPECT_EQ(tokenizer.delivered, (std::vector<Delivered>{{0, "a", 1}}));
    EXPECT_EQ(tokenizer.state(), 1);
    EXPECT_EQ(tokenizer.token(), "a");
}

TEST(ParseFile, FeedsRawBytesThenTheEndOfFileOnceAndCloses) {
    RecordingTokenizer tokenizer({{0, SYM_ANY, 0}});
    ScratchDir dir;
    const std::string bytes("a\r\n\0\x80\xFF", 6);
    const std::string path = dir.Write("hosts", bytes);
    const long openBefore = OpenDescriptorCount();
    EXPECT_TRUE(tokenizer.ParseFile(path));
    EXPECT_EQ(OpenDescriptorCount(), openBefore);
    EXPECT_EQ(tokenizer.token(), bytes + "\xFF");

    RecordingTokenizer empty({{0, SYM_ANY, 0}});
    EXPECT_TRUE(empty.ParseFile(dir.Write("empty", "")));
    EXPECT_EQ(empty.token(), "\xFF");
}

TEST(ParseFile, RefusedTokenStopsTheParseAndClosesTheFile) {
    RecordingTokenizer tokenizer({{0, 'a', 1}, {1, 'a', 0}});
    tokenizer.refuseTokens = true;
    ScratchDir dir;
    const std::string path = dir.Write("hosts", "aaaa");
    const long openBefore = OpenDescriptorCount();
    EXPECT_FALSE(tokenizer.ParseFile(path));
    EXPECT_EQ(OpenDescriptorCount(), openBefore);
    EXPECT_EQ(tokenizer.delivered.size(), 1u);
    EXPECT_EQ(tokenizer.state(), 1);
}

TEST(ParseFile, MissingFileChangesNothing) {
    RecordingTokenizer tokenizer({{0, SYM_LETTER, 0}, {0, SYM_ANY, 1}, {1, SYM_ANY, 1}});
    Feed(tokenizer, "ab");
    ScratchDir dir;
    EXPECT_FALSE(tokenizer.ParseFile(dir.PathOf("missing")));
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "ab");
    EXPECT_TRUE(tokenizer.delivered.empty());
}

TEST(ParseBuffer, FeedsRawBytesThenTheEndOfFileOnce) {
    RecordingTokenizer tokenizer({{0, SYM_ANY, 0}});
    const std::string bytes("a\r\n\0\x80\xFF", 6);
    EXPECT_TRUE(tokenizer.ParseBuffer(bytes));
    EXPECT_EQ(tokenizer.token(), bytes + "\xFF");

    RecordingTokenizer empty({{0, SYM_ANY, 0}});
    EXPECT_TRUE(empty.ParseBuffer(""));
    EXPECT_EQ(empty.token(), "\xFF");
}

TEST(ParseBuffer, RefusedTokenStopsTheParse) {
    RecordingTokenizer tokenizer({{0, 'a', 1}, {1, 'a', 0}});
    tokenizer.refuseTokens = true;
    EXPECT_FALSE(tokenizer.ParseBuffer("aaaa"));
    EXPECT_EQ(tokenizer.delivered.size(), 1u);
    EXPECT_EQ(tokenizer.state(), 1);
}

TEST(AddTransition, FullTableRefusesTheRowAndStaysAsItIs) {
    RecordingTokenizer tokenizer({});
    for (std::int32_t state = 0; state < MAX_TRANSITIONS; ++state) {
        EXPECT_TRUE(tokenizer.AddTransition(state, SYM_ANY, state));
    }
    Feed(tokenizer, "ab");
    const std::vector<Transition> before(tokenizer.transitions().begin(),
                                         tokenizer.transitions().end());

    EXPECT_FALSE(tokenizer.AddTransition(-7, -7, -7));
    EXPECT_EQ(
        std::vector<Transition>(tokenizer.transitions().begin(), tokenizer.transitions().end()),
        before);
    EXPECT_EQ(tokenizer.transitions().size(), 100u);
    EXPECT_EQ(tokenizer.transitions().back(), (Transition{99, SYM_ANY, 99}));
    // A row written past the table would land in the token behind it.
    EXPECT_EQ(tokenizer.token(), "ab");
    Feed(tokenizer, "c");
    EXPECT_EQ(tokenizer.token(), "abc");
}

TEST(Step, AnyRowsInACircleDropTheInputOnceEveryRowHasHadItsPass) {
    RecordingTokenizer tokenizer({{0, SYM_ANY, 1}, {1, SYM_ANY, 0}});
    EXPECT_TRUE(tokenizer.Step('x'));
    EXPECT_EQ(tokenizer.delivered, (std::vector<Delivered>{{0, "", 1}, {1, "", 0}}));
    EXPECT_EQ(tokenizer.state(), 0);
    EXPECT_EQ(tokenizer.token(), "");
    EXPECT_TRUE(tokenizer.Step(SYM_EOF));
    EXPECT_EQ(tokenizer.delivered.size(), 4u);

    // The bound is the number of rows in use, unrelated rows included.
    RecordingTokenizer wider({{0, SYM_ANY, 1}, {1, SYM_ANY, 0}, {7, 'a', 7}});
    EXPECT_TRUE(wider.Step('x'));
    EXPECT_EQ(wider.delivered.size(), 3u);
    EXPECT_EQ(wider.state(), 1);
    EXPECT_EQ(wider.token(), "");
}

TEST(Step, ChainOfAnyRowsUsingEveryRowStillSettlesItsInput) {
    RecordingTokenizer consumed({{0, SYM_ANY, 1}, {1, SYM_ANY, 2}, {2, 'x', 3}});
    EXPECT_TRUE(consumed.Step('x'));
    EXPECT_EQ(consumed.delivered, (std::vector<Delivered>{{0, "", 1}, {1, "", 2}, {2, "", 3}}));
    EXPECT_EQ(consumed.state(), 3);

    RecordingTokenizer appended({{0, SYM_ANY, 1}, {1, SYM_ANY, 2}, {2, SYM_ANY, 2}});
    EXPECT_TRUE(appended.Step('x'));
    EXPECT_EQ(appended.state(), 2);
    EXPECT_EQ(appended.token(), "x");
}

}  // namespace
}  // namespace trelvo
