#include "link/qt/qt_event_loop.h"

#include <QEventLoop>
#include <utility>

namespace trelvo {

QtEventLoop::QtEventLoop() {
    timer_.setTimerType(Qt::PreciseTimer);
    // The timer's handler only queues the tick. Qt fires no timer again
    // while its handler runs, so a message box opened inside a tick would
    // stop every tick under it; queued, the handler returns first and the
    // box's own loop goes on ticking.
    QObject::connect(
        &timer_, &QTimer::timeout, &context_, [this] { OnTimer(); }, Qt::QueuedConnection);
}

QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::Post(Task task) {
    // Thread-safe: the call is queued as an event for the context's thread.
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

void QtEventLoop::SetTicks(std::uint32_t periodMs, Task tick) {
    tick_ = std::move(tick);
    if (tick_ && periodMs > 0) {
        timer_.start(static_cast<int>(periodMs));
    } else {
        timer_.stop();
    }
}

int QtEventLoop::Run() {
    QEventLoop loop;
    QEventLoop* outer = std::exchange(running_, &loop);
    const int status = loop.exec();
    running_ = outer;
    return status;
}

void QtEventLoop::Quit(int status) {
    if (running_ != nullptr) {
        running_->exit(status);
    }
}

// A tick queued before the ticks were stopped finds no tick to run.
void QtEventLoop::OnTimer() {
    if (tick_) {
        // A copy: the tick may stop or replace the ticks.
        const Task tick = tick_;
        tick();
    }
}

}  // namespace trelvo
