#include "link/win32/win32_event_loop.h"

namespace trelvo {
namespace {

// A thread timer's procedure learns only the timer's number; one loop per
// thread finds its way back through here.
thread_local Win32EventLoop* tickingLoop = nullptr;

}  // namespace

Win32EventLoop::Win32EventLoop()
    : window_(LinkMessageWindow::ForThisThread()),
      handle_(window_.handle()),
      message_(window_.Add(*this)) {}

Win32EventLoop::~Win32EventLoop() {
    SetTicks(0, {});
    window_.Remove(message_);
}

void Win32EventLoop::Post(Task task) {
    const std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
    // One message stands for every task posted until it is handled, so a
    // burst of tasks cannot fill the thread's message queue.
    if (!messagePosted_) {
        messagePosted_ = PostMessageW(handle_, message_, 0, 0) != FALSE;
    }
}

// Only the tasks posted so far: one that posts again runs on a later turn,
// after the messages that have come meanwhile.
void Win32EventLoop::OnLinkMessage(UINT, WPARAM, LPARAM) {
    std::vector<Task> tasks;
    {
        const std::lock_guard lock(mutex_);
        tasks.swap(posted_);
        messagePosted_ = false;
    }
    for (Task& task : tasks) {
        task();
    }
}

void Win32EventLoop::SetTicks(std::uint32_t periodMs, Task tick) {
    tick_ = std::move(tick);
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    if (tick_ && periodMs > 0) {
        tickingLoop = this;
        timer_ = SetTimer(nullptr, 0, periodMs, &Win32EventLoop::OnTimer);
    }
}

void CALLBACK Win32EventLoop::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    Win32EventLoop* loop = tickingLoop;
    if (loop != nullptr && loop->timer_ == id && loop->tick_) {
        // A copy: the tick may stop or replace the ticks.
        const Task tick = loop->tick_;
        tick();
    }
}

int Win32EventLoop::Run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void Win32EventLoop::Quit(int status) {
    PostQuitMessage(status);
}

}  // namespace trelvo
