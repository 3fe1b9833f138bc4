#pragma once

#include <cstdint>
#include <string>

// What the update job needs of the program around it.
namespace trelvo {

// A millisecond tick count; it may wrap, the job only takes differences.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t NowMs() = 0;
};

// Shows a message to the operator and returns once it has been confirmed.
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
};

}  // namespace trelvo
