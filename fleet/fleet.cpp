#include "fleet/fleet.h"

#include <algorithm>

#include "fleet/retry_policy.h"
#include "link/net_link.h"
#include "link/serial_link.h"

namespace trelvo {

namespace {

// Recorders started per turn of the event loop. Starting thousands in one
// go held the loop, and with it Ctrl-C, for several ticks; in turns, the
// first recorders talk to their recorders while the rest are being started.
constexpr std::size_t kStartsPerTurn = 500;

}  // namespace

Fleet::Fleet(std::vector<RecorderTarget> targets, UpdateRequest request, Secret& password,
             int parallel, EventLoop& loop, TickClock& clock, LinkFactory makeLinks,
             Reporter& reporter, std::function<void(int)> done)
    : targets_(std::move(targets)),
      request_(std::move(request)),
      password_(password),
      parallel_(static_cast<std::size_t>(std::max(parallel, 1))),
      loop_(loop),
      clock_(clock),
      makeLinks_(std::move(makeLinks)),
      reporter_(reporter),
      done_(std::move(done)) {
    request_.password = &password_;
}

Fleet::~Fleet() {
    if (!finished_) {
        loop_.SetTicks(0, {});
    }
}

void Fleet::Later(std::function<void()> task) {
    loop_.Post([life = std::weak_ptr<const int>(life_), task = std::move(task)] {
        if (!life.expired()) {
            task();
        }
    });
}

void Fleet::Run() {
    loop_.SetTicks(TICK_PERIOD_MS, [this] { Tick(); });
    StartMore();
    FinishIfDone();
}

void Fleet::StartMore() {
    std::size_t started = 0;
    while (!aborting_ && running_.size() < parallel_ &&
           (DueRetry() != waiting_.end() || next_ < targets_.size())) {
        if (started++ == kStartsPerTurn) {
            if (!startPosted_) {
                startPosted_ = true;
                Later([this] {
                    startPosted_ = false;
                    StartMore();
                });
            }
            return;
        }
        if (const auto due = DueRetry(); due != waiting_.end()) {
            RecorderTarget target = due->target;
            ++target.attempt;
            waiting_.erase(due);
            Start(target);
        } else {
            Start(targets_[next_++]);
        }
    }
    WipePasswordOnceUnneeded();
}

std::vector<Fleet::Waiting>::iterator Fleet::DueRetry() {
    const std::uint32_t now = clock_.NowMs();
    return std::find_if(waiting_.begin(), waiting_.end(), [now](const Waiting& waiting) {
        return now - waiting.sinceMs >= waiting.delayMs;
    });
}

void Fleet::Start(const RecorderTarget& target) {
    // The job ends inside its own Close, and its failure message comes
    // after that: the result is collected once the job has returned.
    const int index = target.index;
    auto onEnd = [this, index] { Later([this, index] { Collect(index); }); };
    auto run = std::make_unique<RecorderRun>(target, makeLinks_(target), clock_, onEnd);
    RecorderRun* raw = run.get();
    running_.push_back(std::move(run));
    view_.push_back(raw);
    raw->Start(request_);
}

// Every job wipes its own copy of the password when it ends; the fleet's
// goes once no recorder can start again.
void Fleet::WipePasswordOnceUnneeded() {
    if (next_ < targets_.size() || !waiting_.empty()) {
        return;
    }
    const bool mayRetry =
        request_.retries > 0 && std::any_of(view_.begin(), view_.end(), [this](const auto* run) {
            return run->target().attempt <= request_.retries;
        });
    if (!mayRetry) {
        password_.Wipe();
    }
}

void Fleet::Tick() {
    for (RecorderRun* run : view_) {
        run->Tick();
    }
    reporter_.Ticked(view_);
    if (!waiting_.empty()) {
        StartMore();
    }
}

void Fleet::Collect(int index) {
    const auto found = std::find_if(running_.begin(), running_.end(), [index](const auto& run) {
        return run->target().index == index;
    });
    if (found == running_.end()) {
        return;
    }
    RecorderRun* run = found->get();
    const RecorderResult result = run->Result();
    const RecorderTarget target = run->target();
    view_.erase(std::find(view_.begin(), view_.end(), run));
    running_.erase(found);
    const bool abortedOne = std::erase(abortedOne_, index) > 0;
    if (!aborting_ && !abortedOne && target.attempt <= request_.retries && MayRetry(result)) {
        const std::uint32_t delayMs = RetryDelayMs(target.attempt, random_());
        waiting_.push_back({target, result, clock_.NowMs(), delayMs});
        reporter_.Retrying(target, result, delayMs);
    } else {
        allUpdated_ = allUpdated_ && result.ok();
        reporter_.Finished(target, result);
    }
    StartMore();
    FinishIfDone();
}

void Fleet::Abort() {
    aborting_ = true;
    // Nothing of a job runs any more once its Close has returned, so the
    // results are taken at once, in start order.
    std::vector<int> indices;
    for (RecorderRun* run : view_) {
        run->Abort();
        indices.push_back(run->target().index);
    }
    for (const int index : indices) {
        Collect(index);
    }
    // A recorder waiting for its next attempt ends with its last one.
    for (const Waiting& waiting : waiting_) {
        allUpdated_ = false;
        reporter_.Finished(waiting.target, waiting.failed);
    }
    waiting_.clear();
    // Recorders that never started are reported too, so none goes unmentioned.
    for (; next_ < targets_.size(); ++next_) {
        const RecorderResult notStarted;
        allUpdated_ = false;
        reporter_.Finished(targets_[next_], notStarted);
    }
    password_.Wipe();
    FinishIfDone();
}

void Fleet::Abort(int index) {
    const auto hasIndex = [index](const RecorderTarget& target) { return target.index == index; };
    if (const auto run =
            std::find_if(view_.begin(), view_.end(),
                         [&](const RecorderRun* run) { return hasIndex(run->target()); });
        run != view_.end()) {
        abortedOne_.push_back(index);
        (*run)->Abort();
        Collect(index);
        return;
    }
    if (const auto waiting =
            std::find_if(waiting_.begin(), waiting_.end(),
                         [&](const Waiting& waiting) { return hasIndex(waiting.target); });
        waiting != waiting_.end()) {
        const Waiting ended = *waiting;
        waiting_.erase(waiting);
        allUpdated_ = false;
        reporter_.Finished(ended.target, ended.failed);
    } else if (const auto notStarted = std::find_if(
                   targets_.begin() + static_cast<std::ptrdiff_t>(next_), targets_.end(), hasIndex);
               notStarted != targets_.end()) {
        const RecorderTarget target = *notStarted;
        targets_.erase(notStarted);
        allUpdated_ = false;
        reporter_.Finished(target, RecorderResult{});
    } else {
        return;
    }
    WipePasswordOnceUnneeded();
    FinishIfDone();
}

void Fleet::FinishIfDone() {
    // After Ctrl-C the recorders never started are reported last, and the
    // run ends only after them.
    if (finished_ || !running_.empty() || !waiting_.empty() || next_ < targets_.size()) {
        return;
    }
    finished_ = true;
    loop_.SetTicks(0, {});
    reporter_.Ended();
    // Always from the event loop, so that `done` may end a loop that has not
    // started yet, and only once every recorder has been reported.
    Later([this] { done_(allUpdated_ ? 0 : 1); });
}

RecorderLinks RealRecorderLinks(const RecorderTarget&) {
    return {std::make_unique<NetLink>(), std::make_unique<SerialLink>()};
}

}  // namespace trelvo
