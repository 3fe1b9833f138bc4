#pragma once

#include <cstdint>
#include <string_view>

namespace trelvo {

// How a job ended. Every end reports exactly one of these to the job's
// owner; the window and the command line render it, nobody compares texts.
enum class Outcome : std::int32_t {
    Succeeded,
    FileNotFound,
    FileEmpty,
    FileTooLarge,
    CodeTooLong,
    ConnectFailed,
    PortUnavailable,
    VersionRefused,
    AccessDenied,
    TransferFailed,
    RefusedByRecorder,  // the recorder would not carry out the update; see `status`
    TimedOut,
    ConnectionLost,  // the recorder or the line hung up while the job still needed it
    Aborted,         // ended by the operator or the program, without a message
    // Only for jobs that do less than a whole update:
    Probed,   // every gate asked for passed; nothing was sent after them
    Skipped,  // the recorder already runs a version it was told to leave alone
    // Only for an update whose success is checked afterwards by asking the
    // recorder its version again (the command line's --expect-version):
    Verified,     // the recorder reported success, then the version expected
    NotVerified,  // it reported success, but not the version expected in time
};

struct JobOutcome {
    Outcome kind = Outcome::Aborted;
    // The status of the recorder's result reply, for RefusedByRecorder.
    std::uint16_t status = 0;

    bool succeeded() const { return kind == Outcome::Succeeded; }
    // The job did what it was asked to: updated (and, where asked, the new
    // version seen), probed, or left alone.
    bool ok() const {
        return kind == Outcome::Succeeded || kind == Outcome::Probed || kind == Outcome::Skipped ||
               kind == Outcome::Verified;
    }
    friend bool operator==(const JobOutcome&, const JobOutcome&) = default;
};

// The German message the operator is shown for an outcome, before it is
// localised; empty for Aborted, which shows nothing.
std::string_view OutcomeMessage(const JobOutcome& outcome);

// A stable lower-case name for scripts, such as "access-denied".
std::string_view OutcomeName(Outcome kind);

}  // namespace trelvo
