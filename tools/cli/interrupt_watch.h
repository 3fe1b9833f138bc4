#pragma once

#include <functional>
#include <memory>

#include "link/event_loop.h"

namespace trelvo {

// Turns Ctrl-C (SIGINT, SIGTERM; on Windows Ctrl+C and Ctrl+Break) into a
// call on `loop`, where jobs may safely be closed; the handler itself only
// passes the news on. One watch per process.
class InterruptWatch {
public:
    InterruptWatch(EventLoop& loop, std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Defined with each platform's handler.
    struct Platform;

private:
    std::unique_ptr<Platform> platform_;
};

}  // namespace trelvo
