#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tools/cli/json_reporter.h"
#include "tools/cli/text_reporter.h"

namespace trelvo {
namespace {

RecorderResult Result(bool ok, bool aborted, const char* message, JobState reached) {
    RecorderResult result;
    result.ok = ok;
    result.aborted = aborted;
    result.message = message;
    result.reached = reached;
    result.seconds = 5.0456;
    return result;
}

TEST(TextReporter, OneResultLinePerRecorder) {
    setenv("LC_ALL", "C", 1);
    struct Case {
        RecorderResult result;
        const char* line;
    };
    const Case cases[] = {
        {Result(true, false, "Update finished successfully", JobState::AwaitResult),
         "rec-1             ok       Update finished successfully"},
        {Result(false, false, "Update code is invalid\nRecorder could NOT be updated",
                JobState::AwaitResult),
         "rec-1             FAILED   Update code is invalid / Recorder could NOT be updated"},
        {Result(false, false, "", JobState::Connecting),
         "rec-1             FAILED   ended without a message"},
        {Result(false, true, "", JobState::Transfer),
         "rec-1             ABORTED  during: Sending file"},
        {Result(false, true, "", JobState::Idle), "rec-1             ABORTED  not started"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextReporter::ResultLine({3, "rec-1", false}, c.result), c.line);
    }
}

TEST(JsonReporter, ResultObjectOnOneLine) {
    std::ostringstream out;
    JsonReporter reporter(out);
    reporter.Finished({2, "rec \"2\"", false},
                      Result(false, false, "Unknown error\nRecorder could NOT be updated",
                             JobState::AwaitResult));
    EXPECT_EQ(out.str(),
              "{\"aborted\":false,\"event\":\"result\",\"host\":\"rec \\\"2\\\"\","
              "\"message\":\"Unknown error\\nRecorder could NOT be updated\",\"ok\":false,"
              "\"recorder\":2,\"seconds\":5.046,\"state\":\"AwaitResult\"}\n");
}

}  // namespace
}  // namespace trelvo
