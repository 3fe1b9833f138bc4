#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fleet/update_check.h"
#include "job/job_steps.h"
#include "job/update_job.h"
#include "text/secret.h"

namespace trelvo {

// One recorder of a run: a host for the network, a device for a serial line.
struct RecorderTarget {
    int index = 0;  // position in the command line's order; names may repeat
    // A host's name in Windows-1252, as the recorders' hosts files hold
    // names; a serial device's path as the system gives it.
    std::string name;
    bool serial = false;
    int attempt = 1;  // counts the first try and every retry
};

// What every recorder of a run gets.
struct UpdateRequest {
    JobGoal goal = JobGoal::Update;
    UpdateSource file;  // empty for a probe
    std::vector<std::string> skipVersions;
    const Secret* password = nullptr;  // Windows-1252, as the recorders read it
    Secret updateCode;                 // the same
    std::uint16_t port = UPDATE_PORT;
    int baud = DEFAULT_SERIAL_BAUD;
    std::uint32_t timeoutMs = 0;        // 0: wait like the window
    std::uint32_t resultTimeoutMs = 0;  // for the reply to the execute request; the same
    int retries = 0;                    // further attempts after a failed connection
    // An update the recorder reports as done is checked: the recorder is
    // asked its version again until it reports this one (Windows-1252, as
    // the recorders read it) or verifyTimeoutMs has passed. None: no check.
    std::optional<std::string> expectVersion;
    std::uint32_t verifyTimeoutMs = 600000;
};

// The real links of one recorder; tests hand in fakes.
struct RecorderLinks {
    std::unique_ptr<NetLinkInterface> net;
    std::unique_ptr<SerialLinkInterface> serial;
};

struct RecorderResult {
    JobOutcome outcome;                 // Aborted also for a recorder never started
    JobState reached = JobState::Idle;  // the state the job ended in
    double seconds = 0;
    std::optional<std::string> version;  // as the recorder reported it
    std::uint64_t bytes = 0;             // of the update file sent
    int attempts = 1;                    // the one that ended so, and those before it
    // The recorder reported success and was asked its version again (also
    // when that was cut short), and the version it then reported, if any.
    bool checked = false;
    std::optional<std::string> checkedVersion;

    bool ok() const { return outcome.ok(); }
    bool aborted() const { return outcome.kind == Outcome::Aborted; }
};

// One UpdateJob with its own links, driven exactly as the window drives its
// job: started once, then PumpTransfer and RemainingTimeText on every tick
// of the shared timer. The job's outcome is the result, reported through
// `onEnd` while the job is still inside its close, so `onEnd` must only
// schedule the collection of the result. With an expected version, an
// update the recorder reports as done is checked before the run ends: the
// same job asks the recorder its version, as a probe does, at the ticks
// the check's schedule names, and the result is Verified or NotVerified.
class RecorderRun final : private MessageBox, private JobOwner {
public:
    RecorderRun(RecorderTarget target, RecorderLinks links, TickClock& clock,
                std::function<void()> onEnd);
    ~RecorderRun() override;
    RecorderRun(const RecorderRun&) = delete;
    RecorderRun& operator=(const RecorderRun&) = delete;

    void Start(const UpdateRequest& request);
    // One tick: the pump.
    void Tick();
    // Ends a running job through its Close, as the window's abort does; a
    // check under way ends at once, the recorder aborted.
    void Abort();

    bool ended() const { return ended_; }
    const RecorderTarget& target() const { return target_; }
    // While the update's success is checked, AwaitResult: the run is still
    // finding out whether the update took.
    JobState state() const { return check_ && !ended_ ? JobState::AwaitResult : job_.state(); }
    // The update is done and the recorder is being asked its version again.
    bool checking() const { return check_ && !ended_; }
    // Percent for display: 0 to 100, never going back within one update.
    int percent() const { return percent_; }
    // Worked out when shown, not on every tick of every recorder.
    std::string remaining() const { return job_.RemainingTimeText(); }
    RecorderResult Result() const;

private:
    // The outcome carries the message; nothing waits for an operator here.
    void Show(const std::string&) override {}
    void EnableInputs(bool) override {}
    void JobEnded(const JobOutcome& outcome) override;

    void TickCheck();
    void StartCheckAttempt();
    // The run is over with this outcome; `onEnd` is told.
    void Finish(const JobOutcome& outcome);

    RecorderTarget target_;
    RecorderLinks links_;
    TickClock& clock_;
    std::function<void()> onEnd_;
    UpdateJob job_;

    // What the check after the update needs of the request.
    LinkChoice link_;
    std::optional<std::string> expectVersion_;
    std::uint32_t verifyTimeoutMs_ = 0;
    std::uint32_t replyTimeoutMs_ = 0;
    // From the reported success until the run ends.
    std::optional<UpdateCheck> check_;

    std::uint32_t startMs_ = 0;
    std::uint32_t endMs_ = 0;
    bool started_ = false;
    bool ended_ = false;
    JobOutcome outcome_;
    JobState reached_ = JobState::Idle;
    // The update's, kept when it ends: the check's attempts use the job again.
    std::optional<std::string> version_;
    std::uint64_t bytes_ = 0;
    int percent_ = 0;
};

}  // namespace trelvo
