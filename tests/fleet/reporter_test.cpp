#include <gtest/gtest.h>

#include <sstream>

#include "fleet/json_reporter.h"
#include "fleet/text_reporter.h"
#include "scratch_session.h"

namespace trelvo {
namespace {

RecorderResult Result(JobOutcome outcome, JobState reached,
                      std::optional<std::string> version = std::nullopt) {
    RecorderResult result;
    result.outcome = outcome;
    result.reached = reached;
    result.seconds = 5.0456;
    result.version = std::move(version);
    return result;
}

TEST(TextReporter, OneResultLinePerRecorder) {
    const ScratchSession session("C");
    struct Case {
        RecorderResult result;
        const char* line;
    };
    const Case cases[] = {
        {Result({Outcome::Succeeded}, JobState::AwaitResult),
         "rec-1             ok       Update finished successfully"},
        {Result({Outcome::RefusedByRecorder, STATUS_BAD_UPDATE_CODE}, JobState::AwaitResult),
         "rec-1             FAILED   Update code is invalid / Recorder could NOT be updated"},
        {Result({Outcome::TimedOut}, JobState::Connecting),
         "rec-1             FAILED   Timeout - recorder does not answer"},
        {Result({Outcome::Aborted}, JobState::Transfer),
         "rec-1             ABORTED  during: Sending file"},
        {Result({Outcome::Aborted}, JobState::Idle), "rec-1             ABORTED  not started"},
        {Result({Outcome::Skipped}, JobState::AwaitVersion, "2.0.60"),
         "rec-1             skipped  Version already installed: 2.0.60"},
        // A recorder's text never reaches the terminal as an escape sequence.
        {Result({Outcome::Probed}, JobState::AwaitVersion, "2.1\x1b]0;x\a"),
         "rec-1             ok       Check passed  version 2.1\\x1b]0;x\\x07"},
        {Result({Outcome::VersionRefused}, JobState::AwaitVersion, "1.9"),
         "rec-1             FAILED   This recorder version cannot be updated by Trelvo  "
         "version 1.9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextReporter::ResultLine({3, "rec-1", false}, c.result), c.line);
    }
}

// After a reported success the recorder was asked its version again.
TEST(TextReporter, AResultLineShowsWhatTheRecorderReportedAfterTheUpdate) {
    const ScratchSession session("C");
    const auto checked = [](Outcome outcome, std::optional<std::string> after) {
        RecorderResult result = Result({outcome}, JobState::AwaitResult, "2.0.60");
        result.checked = true;
        result.checkedVersion = std::move(after);
        return result;
    };
    struct Case {
        RecorderResult result;
        const char* line;
    };
    const Case cases[] = {
        {checked(Outcome::Verified, "2.0.61"),
         "rec-1             ok       Update finished successfully, new version confirmed  "
         "version 2.0.61"},
        {checked(Outcome::NotVerified, "2.0.60\x1b[2J"),
         "rec-1             FAILED   The recorder reported success, but not the expected "
         "version  version 2.0.60\\x1b[2J"},
        {checked(Outcome::NotVerified, std::nullopt),
         "rec-1             FAILED   The recorder reported success, but not the expected "
         "version  no version: the recorder did not answer"},
        {checked(Outcome::Aborted, std::nullopt),
         "rec-1             ABORTED  during the check of the new version"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextReporter::ResultLine({3, "rec-1", false}, c.result), c.line);
    }
    std::ostringstream out;
    TextReporter reporter(out, {}, {JobGoal::Update, "abc"});
    for (const Case& c : cases) {
        reporter.Finished({0, "a", false}, c.result);
    }
    out.str("");
    reporter.Ended();
    EXPECT_EQ(out.str(), "4 recorders: 1 ok, 0 skipped, 2 failed, 1 aborted  sha256=abc\n");
}

TEST(TextReporter, SummaryCountsTheEndsAndNamesTheFile) {
    const ScratchSession session("C");
    std::ostringstream out;
    TextReporter reporter(out, {}, {JobGoal::Update, "abc"});
    reporter.Finished({0, "a", false}, Result({Outcome::Succeeded}, JobState::AwaitResult));
    reporter.Finished({1, "b", false}, Result({Outcome::Skipped}, JobState::AwaitVersion, "2"));
    reporter.Finished({2, "c", false}, Result({Outcome::AccessDenied}, JobState::AwaitAccess));
    reporter.Finished({3, "d", false}, Result({Outcome::Aborted}, JobState::Idle));
    out.str("");
    reporter.Ended();
    EXPECT_EQ(out.str(), "4 recorders: 1 ok, 1 skipped, 1 failed, 1 aborted  sha256=abc\n");
}

TEST(JsonReporter, ResultObjectOnOneLine) {
    const ScratchSession session("C");
    struct Case {
        RunFacts facts;
        RecorderResult result;
        const char* line;
    };
    const Case cases[] = {
        {{JobGoal::Update, "ab12"},
         Result({Outcome::RefusedByRecorder, 19}, JobState::AwaitResult, "2.0.60"),
         "{\"aborted\":false,\"attempts\":1,\"bytes\":0,\"event\":\"result\",\"host\":\"rec "
         "\\\"2\\\"\","
         "\"message\":\"Unknown error\\nRecorder could NOT be updated\",\"ok\":false,"
         "\"outcome\":\"refused-by-recorder\",\"recorder\":2,\"seconds\":5.046,\"serial\":false,"
         "\"sha256\":\"ab12\",\"skipped\":false,\"state\":\"AwaitResult\",\"version\":\"2.0.60\"}"
         "\n"},
        {{JobGoal::ProbeAccess, ""},
         Result({Outcome::AccessDenied}, JobState::AwaitAccess, "3\x1b"),
         "{\"accepted\":true,\"access\":false,\"attempts\":1,\"event\":\"result\",\"host\":\"rec "
         "\\\"2\\\"\","
         "\"message\":\"Access denied - invalid password\",\"ok\":false,"
         "\"outcome\":\"access-denied\",\"recorder\":2,\"seconds\":5.046,\"serial\":false,"
         "\"version\":\"3\\u001b\"}\n"},
        {{JobGoal::ProbeVersion, ""},
         Result({Outcome::ConnectFailed}, JobState::Connecting),
         "{\"accepted\":null,\"access\":null,\"attempts\":1,\"event\":\"result\",\"host\":\"rec "
         "\\\"2\\\"\","
         "\"message\":\"Connect failed - address invalid?\",\"ok\":false,"
         "\"outcome\":\"connect-failed\",\"recorder\":2,\"seconds\":5.046,\"serial\":false,"
         "\"version\":null}\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        JsonReporter reporter(out, c.facts);
        reporter.Finished({2, "rec \"2\"", false}, c.result);
        EXPECT_EQ(out.str(), c.line);
    }
}

// Only a run that checks its updates adds the two fields, also to results
// that never got as far as the check.
TEST(JsonReporter, ACheckedUpdateAddsTheExpectedAndTheReportedVersion) {
    const ScratchSession session("C");
    RunFacts facts{JobGoal::Update, "ab12"};
    facts.expectVersion = "2.0.61";
    RecorderResult verified = Result({Outcome::Verified}, JobState::AwaitResult, "2.0.60");
    verified.checked = true;
    verified.checkedVersion = "2.0.61";
    struct Case {
        RecorderResult result;
        const char* fields;
    };
    const Case cases[] = {
        {verified,
         "\"expected_version\":\"2.0.61\",\"host\":\"r\",\"message\":\"Update finished "
         "successfully, new version confirmed\",\"ok\":true,\"outcome\":\"verified\","
         "\"recorder\":0,\"seconds\":5.046,\"serial\":false,\"sha256\":\"ab12\","
         "\"skipped\":false,\"state\":\"AwaitResult\",\"version\":\"2.0.60\","
         "\"version_after_update\":\"2.0.61\"}\n"},
        {Result({Outcome::ConnectFailed}, JobState::Connecting),
         "\"outcome\":\"connect-failed\",\"recorder\":0,\"seconds\":5.046,\"serial\":false,"
         "\"sha256\":\"ab12\",\"skipped\":false,\"state\":\"Connecting\",\"version\":null,"
         "\"version_after_update\":null}\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        JsonReporter(out, facts).Finished({0, "r", false}, c.result);
        EXPECT_NE(out.str().find(c.fields), std::string::npos) << out.str();
    }
    std::ostringstream unchecked;
    JsonReporter(unchecked, {JobGoal::Update, "ab12"}).Finished({0, "r", false}, verified);
    EXPECT_EQ(unchecked.str().find("_version"), std::string::npos) << unchecked.str();
}

// Host names and recorder texts are Windows-1252: the operator reads them
// as written, on the terminal and in JSON.
TEST(Reporters, NamesAndVersionsAreShownAsTheOperatorWroteThem) {
    const ScratchSession session("C");
    const RecorderTarget target{0, "B\xfcro-Rek", false};
    const RecorderResult result =
        Result({Outcome::VersionRefused}, JobState::AwaitVersion, "1.9\xe4");
    EXPECT_EQ(TextReporter::ResultLine(target, result),
              "Büro-Rek          FAILED   This recorder version cannot be updated by Trelvo  "
              "version 1.9ä");
    std::ostringstream out;
    JsonReporter(out, {JobGoal::ProbeVersion, ""}).Finished(target, result);
    EXPECT_NE(out.str().find("\"host\":\"Büro-Rek\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"version\":\"1.9ä\""), std::string::npos) << out.str();
    // A device path is the system's own text.
    EXPECT_EQ(TextReporter::ResultLine({1, "/dev/ttyÜ0", true}, result).substr(0, 12),
              "/dev/ttyÜ0 ");
}

TEST(Reporters, EachRetryIsShownWithTheAttemptThatFailed) {
    const ScratchSession session("C");
    RecorderTarget target{4, "rec-5", false};
    target.attempt = 2;
    const RecorderResult failed = Result({Outcome::ConnectFailed}, JobState::Connecting);
    std::ostringstream text;
    TextReporter(text, {}, {}).Retrying(target, failed, 1800);
    EXPECT_EQ(text.str(),
              "rec-5             RETRY    Connect failed - address invalid?  (attempt 2; again in "
              "1.8 s)\n");
    std::ostringstream json;
    JsonReporter(json, {}).Retrying(target, failed, 1800);
    EXPECT_EQ(json.str(),
              "{\"attempt\":2,\"event\":\"retry\",\"host\":\"rec-5\","
              "\"message\":\"Connect failed - address invalid?\",\"outcome\":\"connect-failed\","
              "\"recorder\":4,\"state\":\"Connecting\",\"wait_seconds\":1.8}\n");
}

}  // namespace
}  // namespace trelvo
