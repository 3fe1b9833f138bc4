#pragma once

#include <cstdint>

#include "link/event_loop.h"
#include "link/posix/readiness_hub.h"

namespace trelvo {

// The command line's loop: waits on the readiness hub, whose epoll set also
// holds a timer descriptor for the ticks, so a run without a toolkit needs
// one wait for everything. Runs on the thread that made the hub.
class PosixEventLoop final : public EventLoop {
public:
    explicit PosixEventLoop(ReadinessHub& hub = ReadinessHub::ForEventLoop());
    ~PosixEventLoop();
    PosixEventLoop(const PosixEventLoop&) = delete;
    PosixEventLoop& operator=(const PosixEventLoop&) = delete;

    void Post(Task task) override;
    void SetTicks(std::uint32_t periodMs, Task tick) override;

    // Delivers readiness, ticks and tasks until Quit; gives Quit's status.
    int Run();
    // Run returns once the task or handler that called this has.
    void Quit(int status);

private:
    void OnTimer();

    ReadinessHub& hub_;
    int timerFd_;
    ReadinessWatch timerWatch_;
    Task tick_;
    bool quitting_ = false;
    int status_ = 0;
};

}  // namespace trelvo
