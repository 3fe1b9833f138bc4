#include "link/posix/posix_event_loop.h"

#include <sys/timerfd.h>
#include <unistd.h>

namespace trelvo {

PosixEventLoop::PosixEventLoop(ReadinessHub& hub)
    : hub_(hub),
      timerFd_(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)),
      timerWatch_([this] { OnTimer(); }, nullptr, hub) {
    timerWatch_.SetDescriptor(timerFd_);
}

PosixEventLoop::~PosixEventLoop() {
    timerWatch_.SetDescriptor(-1);
    if (timerFd_ >= 0) {
        close(timerFd_);
    }
}

void PosixEventLoop::Post(Task task) {
    hub_.Post(std::move(task));
}

void PosixEventLoop::SetTicks(std::uint32_t periodMs, Task tick) {
    tick_ = std::move(tick);
    itimerspec period{};
    if (tick_ && periodMs > 0) {
        period.it_interval.tv_sec = periodMs / 1000;
        period.it_interval.tv_nsec = static_cast<long>(periodMs % 1000) * 1'000'000;
        period.it_value = period.it_interval;
    }
    timerfd_settime(timerFd_, 0, &period, nullptr);
    timerWatch_.WatchReads(static_cast<bool>(tick_));
}

int PosixEventLoop::Run() {
    quitting_ = false;
    while (!quitting_) {
        hub_.Wait(-1);
    }
    return status_;
}

void PosixEventLoop::Quit(int status) {
    quitting_ = true;
    status_ = status;
}

// Ticks missed while the loop was busy are not made up: one tick, as a
// timer of a toolkit's loop gives.
void PosixEventLoop::OnTimer() {
    std::uint64_t expirations = 0;
    if (read(timerFd_, &expirations, sizeof expirations) > 0 && tick_) {
        // A copy: the tick may stop or replace the ticks.
        const Task tick = tick_;
        tick();
    }
}

}  // namespace trelvo
