#pragma once

#include <cstdint>
#include <string>

#include "job/job_outcome.h"

// What the update job needs of the program around it.
namespace trelvo {

// The period of the owner's timer, whose every tick may send one file block.
inline constexpr int TICK_PERIOD_MS = 50;

// A millisecond tick count; it may wrap, the job only takes differences.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t NowMs() = 0;
};

// Shows a message to the operator and returns once it has been confirmed.
// The text is the job's German text: the box localises it.
// Timer ticks and link notifications go on being delivered meanwhile, so the
// job may be entered again while a message is open.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void Show(const std::string& text) = 0;
};

// The window (or command line) that runs the job.
class JobOwner {
public:
    virtual ~JobOwner() = default;
    // Gives the operator the inputs and the Start command back (true) or
    // takes them away for a running job (false).
    virtual void EnableInputs(bool enable) = 0;
    // How the job ended; called once per end, right after the inputs come
    // back and before any failure message is shown.
    virtual void JobEnded(const JobOutcome& outcome) = 0;
};

}  // namespace trelvo
