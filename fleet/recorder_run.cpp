#include "fleet/recorder_run.h"

#include <algorithm>

namespace trelvo {

RecorderRun::RecorderRun(RecorderTarget target, RecorderLinks links, TickClock& clock,
                         std::function<void()> onEnd)
    : target_(std::move(target)),
      links_(std::move(links)),
      clock_(clock),
      onEnd_(std::move(onEnd)),
      job_(*links_.net, *links_.serial, clock, *this) {
    job_.SetOwner(*this);
}

// A job still running when its recorder is dropped is closed quietly, the
// way the window closes its job before it goes.
RecorderRun::~RecorderRun() {
    if (started_ && !ended_) {
        onEnd_ = [] {};
        job_.Close();
    }
}

void RecorderRun::Start(const UpdateRequest& request) {
    job_.SetReplyTimeout(request.timeoutMs);
    job_.SetResultTimeout(request.resultTimeoutMs);
    job_.SetGoal(request.goal);
    job_.SetSkipVersions(request.skipVersions);
    if (request.goal == JobGoal::Update) {
        expectVersion_ = request.expectVersion;
    }
    verifyTimeoutMs_ = request.verifyTimeoutMs;
    replyTimeoutMs_ = request.timeoutMs;
    link_ = {target_.serial ? LinkKind::Serial : LinkKind::Network, target_.name, request.port,
             request.baud};
    startMs_ = clock_.NowMs();
    started_ = true;
    StartJob(job_, request.file, request.password->text(), request.updateCode.text(), link_);
}

void RecorderRun::Tick() {
    if (ended_) {
        return;
    }
    if (check_) {
        TickCheck();
        return;
    }
    const JobTick tick = TickJob(job_);
    if (tick.state == JobState::Transfer) {
        percent_ = std::max(percent_, tick.shownPercent());
    } else if (tick.state == JobState::AwaitResult) {
        percent_ = 100;
    }
}

// The attempt's own pump first: it ends an attempt whose recorder fell
// silent or whose line failed.
void RecorderRun::TickCheck() {
    if (check_->attemptRunning()) {
        TickJob(job_);
        if (ended_) {
            return;
        }
    }
    const std::uint32_t now = clock_.NowMs();
    if (check_->TimeUp(now)) {
        Finish({Outcome::NotVerified});
        // An attempt still under way has had its time.
        AbortJob(job_);
        return;
    }
    if (check_->AttemptDue(now)) {
        StartCheckAttempt();
    }
}

// The version query a probe makes, over a new connection (or a new open of
// the line); it may end at once, refused.
void RecorderRun::StartCheckAttempt() {
    check_->AttemptStarted(clock_.NowMs());
    StartJob(job_, UpdateSource{}, {}, {}, link_);
}

void RecorderRun::Abort() {
    if (check_ && !ended_) {
        Finish({Outcome::Aborted});
    }
    AbortJob(job_);
}

RecorderResult RecorderRun::Result() const {
    const bool updateOver = ended_ || check_;
    RecorderResult result;
    result.outcome = outcome_;
    result.reached = reached_;
    result.version = updateOver ? version_ : job_.recorderVersion();
    result.bytes = updateOver ? bytes_ : job_.fileBytesSent();
    result.seconds = static_cast<double>((ended_ ? endMs_ : clock_.NowMs()) - startMs_) / 1000.0;
    result.attempts = target_.attempt;
    result.checked = check_.has_value();
    if (check_) {
        result.checkedVersion = check_->seen();
    }
    return result;
}

// The first end is the one that counts: a reply arriving while a message
// would be open could end the job a second time. Once the update has been
// reported as done, every end is that of one of the check's attempts, and
// once the run is over none counts, also not that of an attempt it cut off.
void RecorderRun::JobEnded(const JobOutcome& outcome) {
    if (!started_ || ended_) {
        return;
    }
    if (check_) {
        if (check_->attemptRunning()) {
            check_->AttemptEnded(job_.recorderVersion());
            if (check_->Verified()) {
                Finish({Outcome::Verified});
            }
        }
        return;
    }
    reached_ = job_.endedIn();
    version_ = job_.recorderVersion();
    bytes_ = job_.fileBytesSent();
    if (!outcome.succeeded() || !expectVersion_) {
        Finish(outcome);
        return;
    }
    // The first attempt waits for the next tick: the job is still inside
    // its Close.
    check_.emplace(*expectVersion_, verifyTimeoutMs_, clock_.NowMs());
    job_.SetGoal(JobGoal::ProbeVersion);
    job_.SetSkipVersions({});
    job_.SetReplyTimeout(UpdateCheck::AttemptTimeoutMs(replyTimeoutMs_));
}

void RecorderRun::Finish(const JobOutcome& outcome) {
    ended_ = true;
    outcome_ = outcome;
    endMs_ = clock_.NowMs();
    onEnd_();
}

}  // namespace trelvo
