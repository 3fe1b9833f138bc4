#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "link/event_loop.h"
#include "link/win32/posted_tasks.h"
#include "link/win32/send_batch.h"

namespace trelvo {

// The window's loop on Windows: whatever message loop runs the thread (the
// dialog's, a message box's, a file dialog's) runs the links, the posted
// tasks and the ticks, for every one of them reaches the thread as a
// message posted to the link message window. The ticks come from a
// timer-queue timer, which the kernel keeps to its period, rather than
// from WM_TIMER, which a modal loop delivers as well but late by a little
// every time and only when no other message waits. The sockets' sends of
// one tick go out together at its end. Runs on the thread that made it.
class Win32WindowEventLoop final : public EventLoop, private LinkMessageHandler {
public:
    Win32WindowEventLoop();
    ~Win32WindowEventLoop();
    Win32WindowEventLoop(const Win32WindowEventLoop&) = delete;
    Win32WindowEventLoop& operator=(const Win32WindowEventLoop&) = delete;

    void Post(Task task) override;
    void SetTicks(std::uint32_t periodMs, Task tick) override;

    // A message loop of its own, for a thread without a window's: dispatches
    // until Quit and gives Quit's status.
    int Run();
    // Run returns once the task or handler that called this has.
    void Quit(int status);

private:
    static void CALLBACK OnTimer(PVOID self, BOOLEAN fired);
    void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void StopTimer();

    LinkMessageWindow& window_;
    PostedTasks posted_;
    SendBatch sends_;
    const HWND handle_;
    const UINT tickMessage_;
    HANDLE timer_ = nullptr;
    // At most one tick waits in the queue: ticks missed while the thread
    // was busy are not made up.
    std::atomic<bool> tickQueued_{false};
    // Of the timer now running; a tick of an earlier one is dropped.
    std::atomic<WPARAM> generation_{0};
    Task tick_;
    bool quitting_ = false;
    int status_ = 0;
};

}  // namespace trelvo
