#pragma once

#include <windows.h>

#include <cstdint>

#include "link/event_loop.h"
#include "link/win32/posted_tasks.h"
#include "link/win32/send_batch.h"

namespace trelvo {

// The command line's loop on Windows: the thread's message loop, which also
// delivers the links' readiness through their message window. Posted tasks
// reach it as one message to that window. Ticks come from a periodic
// waitable timer the loop waits on beside the messages: a thread timer's
// WM_TIMER comes late by a little every time, and a transfer paced by one
// block a tick would take that much longer, a few per cent. Runs on the
// thread that made it. The sockets' sends of one tick go out together at
// its end.
class Win32EventLoop final : public EventLoop {
public:
    Win32EventLoop();
    ~Win32EventLoop();
    Win32EventLoop(const Win32EventLoop&) = delete;
    Win32EventLoop& operator=(const Win32EventLoop&) = delete;

    void Post(Task task) override;
    void SetTicks(std::uint32_t periodMs, Task tick) override;

    // Dispatches the thread's messages until Quit; gives Quit's status.
    int Run();
    // Run returns once the task or handler that called this has.
    void Quit(int status);

private:
    void Tick();

    PostedTasks posted_;
    SendBatch sends_;
    const HANDLE timer_;
    bool ticking_ = false;
    Task tick_;
    bool quitting_ = false;
    int status_ = 0;
};

}  // namespace trelvo
