#include "tools/cli/recorder_run.h"

#include <algorithm>

#include "ui/localisation/localize_text.h"

namespace trelvo {

RecorderRun::RecorderRun(RecorderTarget target, RecorderLinks links, TickClock& clock,
                         std::function<void()> onEnd)
    : target_(std::move(target)),
      links_(std::move(links)),
      clock_(clock),
      onEnd_(std::move(onEnd)),
      watch_(clock),
      net_(*links_.net, watch_, [this] { NoteState(); }),
      serial_(*links_.serial, watch_),
      job_(net_, serial_, clock, *this) {
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
    timeoutMs_ = request.timeoutMs;
    startMs_ = clock_.NowMs();
    started_ = true;
    watch_.Note();
    const std::string& password = request.password->text();
    if (target_.serial) {
        job_.StartSerial(request.fileName, password, request.updateCode, target_.name,
                         request.baud);
    } else {
        job_.StartNetwork(request.fileName, password, request.updateCode, target_.name,
                          request.port);
    }
    NoteState();
}

void RecorderRun::Tick() {
    if (ended_) {
        return;
    }
    NoteState();
    const int pumped = job_.PumpTransfer();
    remaining_ = job_.RemainingTimeText();
    NoteState();
    const JobState state = job_.state();
    if (state == JobState::Transfer) {
        percent_ = std::max(percent_, std::clamp(pumped, 0, 100));
    } else if (state == JobState::AwaitResult) {
        percent_ = 100;
    }
    if (timeoutMs_ != 0 && state != JobState::Idle && watch_.SilentFor(timeoutMs_)) {
        // The job has no time limit of its own: the tool closes it, as an
        // operator would, and says why.
        Show(LocalizeText("Zeitüberschreitung - Rekorder antwortet nicht"));
        job_.Close();
    }
}

void RecorderRun::Abort() {
    if (started_ && !ended_) {
        aborted_ = !hasMessage_;
        job_.Close();
    }
}

RecorderResult RecorderRun::Result() const {
    RecorderResult result;
    result.aborted = aborted_;
    result.message = message_;
    result.ok = hasMessage_ && message_ == LocalizeText("Aktualisierung erfolgreich beendet");
    result.reached = reached_;
    result.seconds = static_cast<double>((ended_ ? endMs_ : clock_.NowMs()) - startMs_) / 1000.0;
    return result;
}

// The job shows one message per update; a second one could only come from
// a reply arriving while the first is open, and the first is what counts.
void RecorderRun::Show(const std::string& text) {
    NoteState();
    if (!hasMessage_) {
        hasMessage_ = true;
        message_ = text;
    }
}

void RecorderRun::EnableInputs(bool enable) {
    if (!enable || !started_ || ended_) {
        return;
    }
    ended_ = true;
    endMs_ = clock_.NowMs();
    onEnd_();
}

void RecorderRun::NoteState() {
    if (job_.state() != JobState::Idle) {
        reached_ = job_.state();
    }
}

}  // namespace trelvo
