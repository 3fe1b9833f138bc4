#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace trelvo {

// Turns SIGINT and SIGTERM into a call on the thread's Qt event loop, where
// jobs may safely be closed; the signal handler itself only writes a byte.
// One watch per process.
class InterruptWatch {
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    std::function<void()> onInterrupt_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace trelvo
