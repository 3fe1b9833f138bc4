#include "fleet/discovery.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fleet/json_line.h"
#include "names/hosts_name_reader.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

RecorderResult Result(Outcome outcome, std::optional<std::string> version) {
    RecorderResult result;
    result.outcome = {outcome};
    result.reached = JobState::AwaitVersion;
    result.version = std::move(version);
    return result;
}

FoundRecorder Found(const char* address, Outcome outcome, std::optional<std::string> version) {
    return {{0, address, false}, Result(outcome, std::move(version))};
}

TEST(DiscoveryCollector, KeepsOnlyAnswersAndListsThemInAddressOrder) {
    DiscoveryCollector collector(nullptr, 6);
    // Finished in the order the probes ended, not the order of the addresses.
    collector.Finished({4, "10.0.0.4", false}, Result(Outcome::Probed, "2.0.60"));
    collector.Finished({0, "10.0.0.0", false}, Result(Outcome::ConnectFailed, std::nullopt));
    collector.Finished({3, "10.0.0.3", false}, Result(Outcome::TimedOut, std::nullopt));
    collector.Finished({1, "10.0.0.1", false}, Result(Outcome::VersionRefused, "1.9.9"));
    collector.Finished({2, "10.0.0.2", false}, Result(Outcome::VersionRefused, std::nullopt));
    collector.Finished({5, "10.0.0.5", false}, Result(Outcome::Aborted, std::nullopt));
    collector.Ended();

    const std::vector<FoundRecorder> found = collector.Found();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].target.name, "10.0.0.1");
    EXPECT_FALSE(found[0].accepted());
    EXPECT_EQ(found[1].target.name, "10.0.0.2");
    EXPECT_EQ(found[2].target.name, "10.0.0.4");
    EXPECT_TRUE(found[2].accepted());
}

TEST(DiscoveryCollector, CountsOnOneTerminalLineAndClearsIt) {
    std::ostringstream terminal;
    DiscoveryCollector collector(&terminal, 300);
    collector.Ticked({});
    collector.Finished({7, "10.0.0.7", false}, Result(Outcome::Probed, "2.0.60"));
    collector.Finished({8, "10.0.0.8", false}, Result(Outcome::ConnectFailed, std::nullopt));
    collector.Ticked({});
    collector.Ticked({});  // nothing new: nothing written
    collector.Ended();
    EXPECT_EQ(terminal.str(),
              "\r\x1b[K0 of 300 addresses asked, 0 recorders found"
              "\r\x1b[K2 of 300 addresses asked, 1 recorder found"
              "\r\x1b[K");
}

TEST(DiscoveryOutput, TextJsonAndHostsLines) {
    struct Case {
        FoundRecorder recorder;
        const char* text;
        const char* json;
        const char* hosts;
    };
    const Case cases[] = {
        {Found("10.0.0.4", Outcome::Probed, "2.0.60"), "10.0.0.4         accepted  2.0.60",
         R"({"accepted":true,"host":"10.0.0.4","version":"2.0.60"})", "10.0.0.4 10.0.0.4 # 2.0.60"},
        {Found("192.168.100.200", Outcome::VersionRefused, "1.9.9"),
         "192.168.100.200  refused   1.9.9",
         R"({"accepted":false,"host":"192.168.100.200","version":"1.9.9"})",
         "192.168.100.200 192.168.100.200 # 1.9.9"},
        {Found("10.0.0.2", Outcome::VersionRefused, std::nullopt), "10.0.0.2         refused   -",
         R"({"accepted":false,"host":"10.0.0.2","version":null})", "10.0.0.2 10.0.0.2 #"},
        // Nothing a recorder sends reaches the terminal as control or ends a hosts line.
        {Found("10.0.0.9", Outcome::Probed, "QRB\n10.0.0.1 \"evil\x1b"),
         "10.0.0.9         accepted  QRB\\x0a10.0.0.1 \"evil\\x1b",
         R"({"accepted":true,"host":"10.0.0.9","version":"QRB\n10.0.0.1 \"evil\u001b"})",
         "10.0.0.9 10.0.0.9 # QRB\\x0a10.0.0.1 \"evil\\x1b"},
        // Windows-1252 shown as UTF-8 everywhere; its unassigned bytes decode
        // to C1 controls, DEL is one too, and none leaves unescaped.
        {Found("10.0.0.8", Outcome::Probed, "B\xfc\x80ro\x81\x7f\x9d"),
         "10.0.0.8         accepted  B\u00fc\u20acro\\xc2\\x81\\x7f\\xc2\\x9d",
         "{\"accepted\":true,\"host\":\"10.0.0.8\",\"version\":\"B\u00fc\u20acro\\u0081\\u007f"
         "\\u009d\"}",
         "10.0.0.8 10.0.0.8 # B\xfc\x80ro\\xc2\\x81\\x7f\\xc2\\x9d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiscoveryLine(c.recorder), c.text);
        EXPECT_EQ(JsonLine(DiscoveryJson(c.recorder)), c.json);
        EXPECT_EQ(HostsFileLine(c.recorder), c.hosts);
    }
}

TEST(DiscoveryOutput, HostsLinesReadBackAsTheAddressesAlone) {
    const FoundRecorder recorders[] = {
        Found("10.0.0.4", Outcome::Probed, "2.0.60"),
        Found("10.0.0.5", Outcome::VersionRefused, std::nullopt),
        Found("10.0.0.6", Outcome::Probed, "QRB \"x\"\t#PRE\r\n10.9.9.9 other"),
        Found("10.0.0.7", Outcome::Probed, "B\xfcro 2.1.0"),
    };
    std::string file;
    for (const FoundRecorder& recorder : recorders) {
        file += HostsFileLine(recorder) + '\n';
    }
    const ScratchDir scratch;
    HostsNameReader reader;
    reader.BuildTable();
    EXPECT_EQ(reader.ReadFile(scratch.Write("lmhosts", file)), TableTokenizer::ParseEnd::Whole);
    EXPECT_TRUE(reader.refused().empty());
    EXPECT_EQ(reader.names(), (NameList{"10.0.0.4", "10.0.0.5", "10.0.0.6", "10.0.0.7"}));
}

}  // namespace
}  // namespace trelvo
