#include "fleet/report_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "scratch_session.h"

namespace trelvo {
namespace {

constexpr const char* kDigest = "ab12";

RecorderResult Result(Outcome outcome, JobState reached) {
    RecorderResult result;
    result.outcome = {outcome};
    result.reached = reached;
    result.seconds = 3.0;
    result.bytes = outcome == Outcome::Succeeded ? 5242880 : 0;
    return result;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a run writes, a retry reads back: the recorders that were not ok,
// by the very bytes of their names, in the order they were named.
TEST(ReportFile, WrittenInRecorderOrderAndReadBackForTheRetry) {
    const ScratchSession session("C");
    const RunFacts facts{JobGoal::Update, kDigest};
    const std::string path = session.dir().PathOf("report.json");
    ReportFile report(path, facts);
    ASSERT_TRUE(report.Open()) << report.problem();
    report.Finished({2, "/dev/ttyS\u00dc", true}, Result(Outcome::TimedOut, JobState::Transfer));
    report.Finished({0, "B\xfcro", false}, Result(Outcome::AccessDenied, JobState::AwaitAccess));
    report.Finished({1, "ok-1", false}, Result(Outcome::Succeeded, JobState::AwaitResult));
    report.Ended();
    EXPECT_EQ(report.problem(), "");

    const std::string written = Read(path);
    EXPECT_LT(written.find("\"host\":\"B\u00fcro\""), written.find("\"host\":\"ok-1\""));
    EXPECT_LT(written.find("\"host\":\"ok-1\""), written.find("\"recorder\":2"));
    EXPECT_NE(written.find("\"bytes\":5242880,"), std::string::npos) << written;
    EXPECT_NE(written.find("\"seconds\":3,"), std::string::npos) << written;

    std::vector<RecorderTarget> targets;
    std::string problem;
    ASSERT_TRUE(ReadRetryTargets(path, kDigest, targets, problem)) << problem;
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].name, "B\xfcro");
    EXPECT_FALSE(targets[0].serial);
    EXPECT_EQ(targets[1].name, "/dev/ttyS\u00dc");
    EXPECT_TRUE(targets[1].serial);
    EXPECT_EQ(targets[1].index, 1);
}

// An update checked afterwards: the report says what the recorder reported
// then, and a retry takes the recorders that did not show the new version.
TEST(ReportFile, TheCheckAfterTheUpdateIsWrittenAndThoseNotVerifiedAreRetried) {
    const ScratchSession session("C");
    RunFacts facts{JobGoal::Update, kDigest};
    facts.expectVersion = "2.0.61\xdf";
    const std::string path = session.dir().PathOf("report.json");
    ReportFile report(path, facts);
    ASSERT_TRUE(report.Open()) << report.problem();
    const struct {
        const char* host;
        Outcome outcome;
        std::optional<std::string> after;
    } recorders[] = {
        {"verified", Outcome::Verified, "2.0.61\xdf"},
        {"old", Outcome::NotVerified, "2.0.60"},
        {"gone", Outcome::NotVerified, std::nullopt},
        {"refused", Outcome::AccessDenied, std::nullopt},
    };
    int index = 0;
    for (const auto& recorder : recorders) {
        RecorderResult result = Result(recorder.outcome, JobState::AwaitResult);
        result.checked = recorder.outcome != Outcome::AccessDenied;
        result.checkedVersion = recorder.after;
        report.Finished({index++, recorder.host, false}, result);
    }
    report.Ended();
    const std::string written = Read(path);
    for (const char* fields :
         {R"("expected_version":"2.0.61ß","host":"verified","message":"Update finished )"
          R"(successfully, new version confirmed","ok":true,"outcome":"verified",)",
          R"("host":"old","message":"The recorder reported success, but not the expected )"
          R"(version","ok":false,"outcome":"not-verified",)",
          R"("state":"AwaitResult","version":null,"version_after_update":"2.0.60"})",
          R"("host":"gone",)", R"("version_after_update":null})"}) {
        EXPECT_NE(written.find(fields), std::string::npos) << fields << "\n" << written;
    }

    std::vector<RecorderTarget> targets;
    std::string problem;
    ASSERT_TRUE(ReadRetryTargets(path, kDigest, targets, problem)) << problem;
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].name, "old");
    EXPECT_EQ(targets[1].name, "gone");
    EXPECT_EQ(targets[2].name, "refused");
}

TEST(ReportFile, AFolderThatTakesNoFileIsRefusedBeforeTheRun) {
    const ScratchSession session("C");
    const RunFacts facts;
    const std::string path = session.dir().PathOf("missing/report.json");
    ReportFile report(path, facts);
    EXPECT_FALSE(report.Open());
    // Then the system's own words, which differ between systems.
    const std::string start = "cannot write the report " + path + ": ";
    EXPECT_TRUE(report.problem().starts_with(start)) << report.problem();
    EXPECT_GT(report.problem().size(), start.size());
}

std::string Entry(const std::string& host, const char* digest = kDigest) {
    return R"({"host":")" + host + R"(","ok":false,"serial":false,"sha256":")" + digest + "\"}";
}

// A report is operator input: whatever it holds, the retry refuses it
// with the line at fault, never with an exception or a crash.
TEST(ReadRetryTargets, RefusesWhatIsNoReport) {
    const ScratchSession session("C");
    struct Case {
        const char* why;
        std::string content;
        std::string problem;  // after the report's name
    };
    const Case cases[] = {
        {"empty", "", " is empty"},
        {"not JSON", "not json\n", " line 1 is no recorder of a report"},
        {"cut off", Entry("a") + "\n" + Entry("b").substr(0, 20) + "\n",
         " line 2 is no recorder of a report"},
        {"an array", "[1,2]\n", " line 1 is no recorder of a report"},
        {"a number", "3\n", " line 1 is no recorder of a report"},
        {"host a number", R"({"host":1,"ok":false,"serial":false,"sha256":"ab12"})",
         " line 1 is no recorder of a report"},
        {"ok a text", R"({"host":"a","ok":"no","serial":false,"sha256":"ab12"})",
         " line 1 is no recorder of a report"},
        {"no digest", R"({"host":"a","ok":false,"serial":false})",
         " line 1 is no recorder of a report"},
        {"no serial", R"({"host":"a","ok":false,"sha256":"ab12"})",
         " line 1 is no recorder of a report"},
        {"not UTF-8", Entry("B\xfcro"), " line 1 is no recorder of a report"},
        {"nested deep", std::string(100000, '[') + std::string(100000, ']'),
         " line 1 is no recorder of a report"},
        {"a line too long", std::string(kReportLineLimit + 1, ' ') + Entry("a"),
         " line 1 is longer than any recorder of a report"},
        {"no line end in a huge file", std::string(kReportLineLimit * 2, 'x'),
         " line 1 is longer than any recorder of a report"},
        {"another file", "\n" + Entry("a", "ff00") + "\n", " is of another update file"},
        {"a control in a name", "\r\n" + Entry("a\\u001bb"),
         " line 2: the recorder's name holds a control character (a NUL, tab, line break or "
         "the like), which no recorder takes"},
    };
    for (const Case& c : cases) {
        const std::string path = session.dir().Write("report.json", c.content);
        std::vector<RecorderTarget> targets;
        std::string problem;
        EXPECT_FALSE(ReadRetryTargets(path, kDigest, targets, problem)) << c.why;
        const std::string expected = c.problem.starts_with(" is of") || c.problem == " is empty"
                                         ? "the report " + path + c.problem
                                         : path + c.problem;
        EXPECT_EQ(problem, expected) << c.why;
    }
}

TEST(ReadRetryTargets, SaysWhyAReportCannotBeRead) {
    const ScratchSession session("C");
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {session.dir().PathOf("missing.json"), "No such file or directory"},
        {session.dir().path().string(), "file to open is a directory"},
    };
    for (const Case& c : cases) {
        std::vector<RecorderTarget> targets;
        std::string problem;
        EXPECT_FALSE(ReadRetryTargets(c.path, kDigest, targets, problem));
        EXPECT_EQ(problem, "cannot read the report " + c.path + ": " + c.reason);
    }
}

}  // namespace
}  // namespace trelvo
