#include <gtest/gtest.h>

#include <sstream>

#include "scratch_session.h"
#include "tools/cli/json_reporter.h"
#include "tools/cli/text_reporter.h"

namespace trelvo {
namespace {

RecorderResult Result(JobOutcome outcome, JobState reached) {
    RecorderResult result;
    result.outcome = outcome;
    result.reached = reached;
    result.seconds = 5.0456;
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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextReporter::ResultLine({3, "rec-1", false}, c.result), c.line);
    }
}

TEST(JsonReporter, ResultObjectOnOneLine) {
    const ScratchSession session("C");
    std::ostringstream out;
    JsonReporter reporter(out);
    reporter.Finished({2, "rec \"2\"", false},
                      Result({Outcome::RefusedByRecorder, 19}, JobState::AwaitResult));
    EXPECT_EQ(out.str(),
              "{\"aborted\":false,\"event\":\"result\",\"host\":\"rec \\\"2\\\"\","
              "\"message\":\"Unknown error\\nRecorder could NOT be updated\",\"ok\":false,"
              "\"outcome\":\"refused-by-recorder\",\"recorder\":2,\"seconds\":5.046,"
              "\"state\":\"AwaitResult\"}\n");
}

}  // namespace
}  // namespace trelvo
