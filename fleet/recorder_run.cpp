#include "fleet/recorder_run.h"

#include <algorithm>

#include "job/job_steps.h"

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
    startMs_ = clock_.NowMs();
    started_ = true;
    const LinkChoice link{target_.serial ? LinkKind::Serial : LinkKind::Network, target_.name,
                          request.port, request.baud};
    StartJob(job_, request.file, request.password->text(), request.updateCode.text(), link);
}

void RecorderRun::Tick() {
    if (ended_) {
        return;
    }
    const JobTick tick = TickJob(job_);
    if (tick.state == JobState::Transfer) {
        percent_ = std::max(percent_, tick.shownPercent());
    } else if (tick.state == JobState::AwaitResult) {
        percent_ = 100;
    }
}

void RecorderRun::Abort() {
    AbortJob(job_);
}

RecorderResult RecorderRun::Result() const {
    RecorderResult result;
    result.outcome = outcome_;
    result.reached = reached_;
    result.version = job_.recorderVersion();
    result.bytes = job_.fileBytesSent();
    result.seconds = static_cast<double>((ended_ ? endMs_ : clock_.NowMs()) - startMs_) / 1000.0;
    result.attempts = target_.attempt;
    return result;
}

// The first end is the one that counts: a reply arriving while a message
// would be open could end the job a second time.
void RecorderRun::JobEnded(const JobOutcome& outcome) {
    if (!started_ || ended_) {
        return;
    }
    ended_ = true;
    outcome_ = outcome;
    reached_ = job_.endedIn();
    endMs_ = clock_.NowMs();
    onEnd_();
}

}  // namespace trelvo
