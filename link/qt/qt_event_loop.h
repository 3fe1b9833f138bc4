#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

#include "link/event_loop.h"
#include "link/qt/qt_readiness_pump.h"

class QEventLoop;

namespace trelvo {

// A window's loop for the jobs of a fleet: the Qt event loop of the thread
// that made it, which also delivers the links' readiness (through the
// readiness pump) and every task posted here. The engine then runs on the
// window's own thread and needs no locks.
class QtEventLoop final : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop();
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    void Post(Task task) override;
    void SetTicks(std::uint32_t periodMs, Task tick) override;

    // For a program or test without a window of its own: runs the Qt event
    // loop until Quit; gives Quit's status.
    int Run();
    // Run returns once the task or handler that called this has.
    void Quit(int status);

private:
    void OnTimer();

    QtReadinessPump readiness_;
    // Tasks posted to it run on its thread's loop; those still queued when
    // it goes are dropped with it.
    QObject context_;
    QTimer timer_;
    Task tick_;
    QEventLoop* running_ = nullptr;
};

}  // namespace trelvo
