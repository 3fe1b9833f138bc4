#pragma once

#include <cstdint>
#include <functional>

namespace trelvo {

// The loop a run of many jobs lives on: the platform's own wait for the
// links' readiness, with a tick and a queue of tasks. The jobs' owner reaches
// it only through here, so it runs on every platform's loop and on a fake.
class EventLoop {
public:
    using Task = std::function<void()>;

    // Runs `task` on a later turn of the loop, after what is ready now. Safe
    // from any thread; the task runs on the loop's.
    virtual void Post(Task task) = 0;
    // Calls `tick` every `periodMs` on the loop's thread; an empty `tick`
    // stops the ticks. One tick per loop: a second call replaces the first.
    virtual void SetTicks(std::uint32_t periodMs, Task tick) = 0;

protected:
    ~EventLoop() = default;
};

}  // namespace trelvo
