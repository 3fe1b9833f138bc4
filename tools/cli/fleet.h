#pragma once

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "tools/cli/recorder_run.h"
#include "tools/cli/reporter.h"

namespace trelvo {

// Updates every recorder of the list with one shared 50 ms timer, at most
// `parallel` at once, all on the thread's Qt event loop; the next recorder
// starts as soon as one ends. `done` gets the exit status: 0 when every
// recorder was updated, 1 otherwise.
class Fleet {
public:
    using LinkFactory = std::function<RecorderLinks(const RecorderTarget&)>;

    Fleet(std::vector<RecorderTarget> targets, UpdateRequest request, Secret& password,
          int parallel, TickClock& clock, LinkFactory makeLinks, Reporter& reporter,
          std::function<void(int)> done);
    ~Fleet();
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    void Run();
    // Ctrl-C: closes every running job and starts no more.
    void Abort();

private:
    void StartMore();
    void Tick();
    void Collect(int index);
    void FinishIfDone();

    std::vector<RecorderTarget> targets_;
    UpdateRequest request_;
    Secret& password_;
    std::size_t parallel_;
    TickClock& clock_;
    LinkFactory makeLinks_;
    Reporter& reporter_;
    std::function<void(int)> done_;

    // Results are collected from the event loop, once the job has left its close.
    QObject context_;
    QTimer timer_;
    std::size_t next_ = 0;
    std::vector<std::unique_ptr<RecorderRun>> running_;
    std::vector<RecorderRun*> view_;
    bool allUpdated_ = true;
    bool aborting_ = false;
    bool finished_ = false;
    bool startPosted_ = false;  // more recorders start on the loop's next turn
};

}  // namespace trelvo
