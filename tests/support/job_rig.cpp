#include "job_rig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <chrono>
#include <utility>

namespace trelvo::testing {

JobRig::JobRig() : job(net_, serial_, clock_, *this) {
    job.SetOwner(*this);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(TICK_PERIOD_MS);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
}

void JobRig::Tick() {
    ++ticks_;
    const int before = job.blocksSent();
    const auto start = std::chrono::steady_clock::now();
    lastProgress_ = job.PumpTransfer();
    std::string timeText = job.RemainingTimeText();
    tickMicroseconds_.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count());
    timeTexts_.push_back(std::move(timeText));
    mostBlocksInOneTick_ = std::max(mostBlocksInOneTick_, job.blocksSent() - before);
}

bool JobRig::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        // Blocks until something happens; the timer wakes it at least every tick.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

void JobRig::RunTicks(int ticks) {
    const int until = ticks_ + ticks;
    RunUntil([&] { return ticks_ >= until; });
}

}  // namespace trelvo::testing
