#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "link/event_loop.h"
#include "link/win32/link_message_window.h"

namespace trelvo {

// The command line's loop on Windows: the thread's message loop, which also
// delivers the links' readiness through their message window. Posted tasks
// reach it as one message to that window, ticks as a thread timer. Runs on
// the thread that made it.
class Win32EventLoop final : public EventLoop, private LinkMessageHandler {
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
    void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

    LinkMessageWindow& window_;
    const HWND handle_;
    const UINT message_;
    std::mutex mutex_;
    std::vector<Task> posted_;  // under the mutex, as is whether a message is on its way
    bool messagePosted_ = false;
    UINT_PTR timer_ = 0;
    Task tick_;
};

}  // namespace trelvo
