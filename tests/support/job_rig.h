#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "job/update_job.h"
#include "link/net_link.h"
#include "link/posix/steady_tick_clock.h"
#include "link/qt/qt_readiness_pump.h"
#include "link/serial_link.h"

namespace trelvo::testing {

// An update job on the real links, driven as the window drives it: the real
// event loop delivers the socket notifications, and a precise 50 ms timer
// calls PumpTransfer, then RemainingTimeText. Messages are recorded and
// confirmed at once.
class JobRig : private MessageBox, private JobOwner {
    // Made before the job, which holds on to them.
    QtReadinessPump readiness_;
    NetLink net_;
    SerialLink serial_;
    SteadyTickClock clock_;

public:
    JobRig();

    UpdateJob job;

    // Runs the event loop until `done` holds or `timeoutMs` has passed;
    // returns whether `done` held.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 20000);
    bool RunUntilIdle(int timeoutMs = 20000) {
        return RunUntil([this] { return job.state() == JobState::Idle; }, timeoutMs);
    }
    // Lets `ticks` timer ticks pass.
    void RunTicks(int ticks);

    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<JobOutcome>& outcomes() const { return outcomes_; }
    int inputsGivenBack() const { return inputsGivenBack_; }
    int ticks() const { return ticks_; }
    // The most file blocks that left within one tick.
    int mostBlocksInOneTick() const { return mostBlocksInOneTick_; }
    int lastProgress() const { return lastProgress_; }
    const std::vector<std::string>& timeTexts() const { return timeTexts_; }
    // How long each tick took inside the job, in microseconds.
    const std::vector<std::int64_t>& tickMicroseconds() const { return tickMicroseconds_; }

private:
    void Show(const std::string& text) override { messages_.push_back(text); }
    void EnableInputs(bool enable) override { inputsGivenBack_ += enable ? 1 : 0; }
    void JobEnded(const JobOutcome& outcome) override { outcomes_.push_back(outcome); }
    void Tick();

    QTimer timer_;
    std::vector<std::string> messages_;
    std::vector<JobOutcome> outcomes_;
    std::vector<std::string> timeTexts_;
    std::vector<std::int64_t> tickMicroseconds_;
    int inputsGivenBack_ = 0;
    int ticks_ = 0;
    int mostBlocksInOneTick_ = 0;
    int lastProgress_ = 0;
};

}  // namespace trelvo::testing
