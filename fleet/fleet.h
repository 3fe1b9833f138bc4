#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "fleet/recorder_run.h"
#include "fleet/reporter.h"
#include "link/event_loop.h"

namespace trelvo {

// Updates every recorder of the list with one shared 50 ms tick, at most
// `parallel` at once, all on `loop`; the next recorder
// starts as soon as one ends. A recorder whose attempt may be retried
// (MayRetry) waits, without holding a place, for as long as RetryDelayMs
// says, measured on `clock` at the timer's ticks; it goes before the
// recorders not yet started. `done` gets the exit status: 0 when every
// recorder was updated, 1 otherwise.
class Fleet {
public:
    using LinkFactory = std::function<RecorderLinks(const RecorderTarget&)>;

    Fleet(std::vector<RecorderTarget> targets, UpdateRequest request, Secret& password,
          int parallel, EventLoop& loop, TickClock& clock, LinkFactory makeLinks,
          Reporter& reporter, std::function<void(int)> done);
    ~Fleet();
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    void Run();
    // Ctrl-C: closes every running job, gives up the waiting retries and
    // starts no more.
    void Abort();
    // One recorder's job closed, its retries given up, or it never starts;
    // it is reported as it then stands. The others go on.
    void Abort(int index);
    // The timer's tick: every running job's pump, then the retries whose
    // wait is over.
    void Tick();

private:
    // A recorder whose last attempt failed, until its next one.
    struct Waiting {
        RecorderTarget target;  // of the failed attempt
        RecorderResult failed;
        std::uint32_t sinceMs;
        std::uint32_t delayMs;
    };

    void StartMore();
    std::vector<Waiting>::iterator DueRetry();
    void Start(const RecorderTarget& target);
    void Collect(int index);
    void WipePasswordOnceUnneeded();
    void FinishIfDone();
    // Runs `task` on the loop's next turn, unless the fleet has gone by then.
    void Later(std::function<void()> task);

    std::vector<RecorderTarget> targets_;
    UpdateRequest request_;
    Secret& password_;
    std::size_t parallel_;
    EventLoop& loop_;
    TickClock& clock_;
    LinkFactory makeLinks_;
    Reporter& reporter_;
    std::function<void(int)> done_;

    // Held weakly by what the fleet posts to the loop.
    std::shared_ptr<const int> life_ = std::make_shared<const int>(0);
    std::size_t next_ = 0;
    std::vector<std::unique_ptr<RecorderRun>> running_;
    std::vector<RecorderRun*> view_;
    std::vector<Waiting> waiting_;
    // Recorders aborted one by one whose result is still to be collected:
    // they are not tried again.
    std::vector<int> abortedOne_;
    std::mt19937 random_{std::random_device{}()};
    bool allUpdated_ = true;
    bool aborting_ = false;
    bool finished_ = false;
    bool startPosted_ = false;  // more recorders start on the loop's next turn
};

// The real network and serial links, for a fleet outside the tests.
RecorderLinks RealRecorderLinks(const RecorderTarget& target);

}  // namespace trelvo
