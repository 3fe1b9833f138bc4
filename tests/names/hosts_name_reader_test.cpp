#include "names/hosts_name_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "operator_text_cases.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

struct Case {
    std::optional<std::string> content;  // no file at all when absent
    NameList names;
};

void ExpectNames(const Case& c) {
    ScratchDir dir;
    const std::string path = c.content ? dir.Write("lmhosts", *c.content) : dir.PathOf("lmhosts");
    HostsNameReader reader;
    EXPECT_TRUE(reader.BuildTable());
    EXPECT_EQ(reader.ParseFile(path), c.content.has_value());
    EXPECT_EQ(reader.names(), c.names) << (c.content ? *c.content : "(no file)");
}

TEST(HostsNameReader, ReadsTheGrammarEdgeCases) {
    const Case cases[] = {
        {"10.0.0.5 REC1 #PRE\n", {"REC1"}},
        {"10.0.0.6 \"REC 2\"\n", {"REC 2"}},
        {"\n", {}},
        {"\r\n", {}},
        {"# 10.0.0.7 REC3\n", {}},
        {"10.0.0.5 REC1", {"REC1"}},
        {"10.0.0.5 REC1\r\n", {"REC1"}},
        {"  10.0.0.5  REC1 \n", {"REC1"}},
        {"10.0.0.5\n", {}},
        {"REC1\n", {}},
        {"10.0.0.5 REC1 REC2\n", {"REC1"}},
        // A tab ends a bare name as a blank does: lmhosts files put one before #PRE.
        {"10.0.0.5\tREC1\t#PRE\n", {"REC1"}},
        {"10.0.0.5 REC1#PRE\n", {"REC1#PRE"}},
        {"10.0.0.5 REC1\t\r\n", {"REC1"}},
        {"10.0.0.5\t\"REC 2\"\n", {"REC 2"}},
        {"10.0.0.5 REC\"X Y\n", {"REC", "Y"}},
        // A name holding a line feed is set aside; nothing resolves it.
        {"10.0.0.5 \"REC\nX\" tail\n", {}},
        {"10.0.0.5 \"REC 9", {}},
        {"10.0.0.5 \"\"\n", {""}},
        {"10.0.0.5 \r\n", {""}},
        {"10.0.0.5 ", {""}},
        {"10.0.0.5 \"  A  \"\n", {"A"}},
        {"10.0.0.5 \"A\"B C\n", {"A"}},
        {"10.0.0.5 A\n10.0.0.5 A\n", {"A", "A"}},
        {"10.0.0.5 REC1 #PRE\r\n10.0.0.6 \"REC 2\"\r\n\r\n#x\r\n10.0.0.7 REC3",
         {"REC1", "REC 2", "REC3"}},
        {std::nullopt, {}},
    };
    for (const Case& c : cases) {
        ExpectNames(c);
    }
}

TEST(HostsNameReader, ReadsCrLfFilesOpenQuotesAndHighBytes) {
    const Case cases[] = {
        // A whole file with CR LF line ends, tabs and comments.
        {"# lmhosts\r\n\t10.0.0.1\tALPHA\t\r\n10.0.0.2 \"BETA ONE\" #PRE\r\n"
         "   \r\n#10.0.0.3 GAMMA\r\n10.0.0.4  DELTA\r\n",
         {"ALPHA", "BETA ONE", "DELTA"}},
        // A quote left open runs over the following lines up to the next
        // quote; the name it makes holds line feeds and is set aside.
        {"10.0.0.1 \"REC\n10.0.0.2 X\n10.0.0.3 \"tail\n10.0.0.4 Y\n", {"Y"}},
        // Bytes from 128 up are part of the name, never white space to trim.
        {"10.0.0.1 \xA0Rek\xF6rder\xA0\n10.0.0.2 \"\xFF\x85\"\n",
         {"\xA0Rek\xF6rder\xA0", "\xFF\x85"}},
        // A comment line with no line feed before the end of the file.
        {"10.0.0.1 A\n# last", {"A"}},
    };
    for (const Case& c : cases) {
        ExpectNames(c);
    }
}

TEST(HostsNameReader, ReadsSeveralThousandLinesInOrder) {
    std::string content;
    NameList expected;
    for (int line = 0; line < 5000; ++line) {
        const std::string name = "HOST" + std::to_string(line % 1000);
        if (line % 7 == 0) {
            content += "# 10.1.0.1 " + name + "\r\n";
        } else if (line % 3 == 0) {
            content += "10.1.0.1\t\"" + name + "\" #PRE\r\n";
            expected.push_back(name);
        } else {
            content += "10.1.0.1 " + name + "\n";
            expected.push_back(name);
        }
    }
    ExpectNames({content, expected});
}

// A name that breaks the rule for operator texts (a NUL would make the
// resolver read it cut short), or too long for any recorder, is set aside
// with the reason, never taken.
TEST(HostsNameReader, SetsAsideNamesNoRecorderCanBeReachedBy) {
    std::string content;
    NameList kept;
    std::vector<TextRefusal> refusals;
    for (const OperatorTextCase& c : OperatorTextCases()) {
        if (c.bytes) {
            // Quoted, so a blank, tab or line feed stays inside the name.
            content += "1.2.3.4 \"" + *c.bytes + "\"\n";
            if (c.bytesRefusal == TextRefusal::None) {
                kept.push_back(*c.bytes);
            } else {
                refusals.push_back(c.bytesRefusal);
            }
        }
    }
    const std::string longName(256, 'a');
    content += "1.2.3.6 " + longName + "\n1.2.3.7 " + std::string(255, 'b') + "\n";
    kept.push_back(std::string(255, 'b'));
    const ScratchDir dir;
    HostsNameReader reader;
    reader.BuildTable();
    EXPECT_EQ(reader.ReadFile(dir.Write("lmhosts", content)), TableTokenizer::ParseEnd::Whole);
    EXPECT_EQ(reader.names(), kept);
    ASSERT_EQ(reader.refused().size(), refusals.size() + 1);
    for (std::size_t i = 0; i < refusals.size(); ++i) {
        EXPECT_EQ(reader.refused()[i].problem.refusal, refusals[i]) << i;
    }
    EXPECT_EQ(reader.refused().back().start, longName.substr(0, 40));
    EXPECT_TRUE(reader.refused().back().problem.tooLong);
}

// Past the reader's limit the file is not read on, and a name the limit
// cut through is not taken; the names before it are.
TEST(HostsNameReader, StopsAtItsLimitWithTheNamesBeforeIt) {
    const ScratchDir dir;
    std::string content = "1.2.3.4 first\n1.2.3.5 second\n1.2.3.6 ";
    content.resize(MAX_HOSTS_FILE_BYTES + 10, 'c');
    HostsNameReader reader;
    reader.BuildTable();
    EXPECT_EQ(reader.ReadFile(dir.Write("lmhosts", content)), TableTokenizer::ParseEnd::TooLarge);
    EXPECT_EQ(reader.names(), (NameList{"first", "second"}));
    EXPECT_TRUE(reader.refused().empty());
}

// Each name with the first column of its own line, however the lines
// around it look.
TEST(HostsNameReader, KeepsEachNamesAddressColumn) {
    const ScratchDir dir;
    HostsNameReader reader;
    reader.BuildTable();
    reader.ReadFile(dir.Write("lmhosts",
                              "10.0.0.1 first #PRE\n10.0.0.9\n# 10.0.0.8 no\n"
                              "  10.0.0.2\t\"second name\"\nhost third\n"));
    EXPECT_EQ(reader.names(), (NameList{"first", "second name", "third"}));
    EXPECT_EQ(reader.addresses(), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "host"}));
}

TEST(HostsNameReader, TableStartsEmpty) {
    HostsNameReader reader;
    EXPECT_TRUE(reader.names().empty());
    EXPECT_EQ(reader.state(), HS_LINE_START);
    EXPECT_TRUE(reader.transitions().empty());
    EXPECT_TRUE(reader.BuildTable());
}

TEST(HostsNameReader, BuildTableReportsRowsThatFoundNoRoom) {
    HostsNameReader reader;
    for (int copy = 0; copy < 4; ++copy) {
        EXPECT_TRUE(reader.BuildTable());
    }
    EXPECT_FALSE(reader.BuildTable());
    EXPECT_EQ(reader.transitions().size(), 100u);

    // The first copy comes first, so the later ones never change the reading.
    ScratchDir dir;
    EXPECT_TRUE(reader.ParseFile(dir.Write("lmhosts", "10.0.0.5 \"REC 2\"\n10.0.0.6 REC3\n")));
    EXPECT_EQ(reader.names(), (NameList{"REC 2", "REC3"}));
}

}  // namespace
}  // namespace trelvo
