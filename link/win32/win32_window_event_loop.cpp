#include "link/win32/win32_window_event_loop.h"

#include <utility>

namespace trelvo {

Win32WindowEventLoop::Win32WindowEventLoop()
    : window_(LinkMessageWindow::ForThisThread()),
      posted_(window_),
      handle_(window_.handle()),
      tickMessage_(window_.Add(*this)) {}

Win32WindowEventLoop::~Win32WindowEventLoop() {
    StopTimer();
    window_.Remove(tickMessage_);
}

void Win32WindowEventLoop::Post(Task task) {
    posted_.Post(std::move(task));
}

void Win32WindowEventLoop::SetTicks(std::uint32_t periodMs, Task tick) {
    StopTimer();
    tick_ = std::move(tick);
    ++generation_;
    if (tick_ && periodMs > 0 && tickMessage_ != 0) {
        // WT_EXECUTEINTIMERTHREAD: the callback only posts, so it needs no
        // pool thread of its own.
        if (!CreateTimerQueueTimer(&timer_, nullptr, &Win32WindowEventLoop::OnTimer, this, periodMs,
                                   periodMs, WT_EXECUTEINTIMERTHREAD)) {
            timer_ = nullptr;
        }
    }
}

void Win32WindowEventLoop::StopTimer() {
    if (timer_ != nullptr) {
        // Waits for a callback under way, so none runs once this returns.
        DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
        timer_ = nullptr;
    }
}

// On the timer's thread.
void CALLBACK Win32WindowEventLoop::OnTimer(PVOID self, BOOLEAN /*fired*/) {
    auto& loop = *static_cast<Win32WindowEventLoop*>(self);
    if (!loop.tickQueued_.exchange(true) &&
        PostMessageW(loop.handle_, loop.tickMessage_, loop.generation_.load(), 0) == FALSE) {
        loop.tickQueued_ = false;
    }
}

void Win32WindowEventLoop::OnLinkMessage(UINT, WPARAM wParam, LPARAM) {
    tickQueued_ = false;
    if (wParam != generation_.load() || !tick_) {
        return;
    }
    // A copy: the tick may stop or replace the ticks.
    const Task tick = tick_;
    const SendBatch::Round sends(sends_);
    tick();
}

int Win32WindowEventLoop::Run() {
    quitting_ = false;
    MSG message{};
    while (!quitting_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return status_;
}

// A flag rather than WM_QUIT, which the queue hands out only once no other
// message waits: tasks that keep posting would hold it back for ever.
void Win32WindowEventLoop::Quit(int status) {
    quitting_ = true;
    status_ = status;
}

}  // namespace trelvo
