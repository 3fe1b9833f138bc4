#include "link/win32/win32_event_loop.h"

namespace trelvo {
namespace {

// Messages handled between two looks at the timer, so a stream of socket
// notifications cannot hold a tick back.
constexpr int kMessagesPerTurn = 256;

}  // namespace

Win32EventLoop::Win32EventLoop()
    : posted_(LinkMessageWindow::ForThisThread()),
      timer_(CreateWaitableTimerW(nullptr, FALSE, nullptr)) {}

Win32EventLoop::~Win32EventLoop() {
    SetTicks(0, {});
    if (timer_ != nullptr) {
        CloseHandle(timer_);
    }
}

void Win32EventLoop::Post(Task task) {
    posted_.Post(std::move(task));
}

void Win32EventLoop::SetTicks(std::uint32_t periodMs, Task tick) {
    tick_ = std::move(tick);
    ticking_ = false;
    if (timer_ == nullptr) {
        return;
    }
    CancelWaitableTimer(timer_);
    if (tick_ && periodMs > 0) {
        // The first tick one period from now, in 100 ns units (negative:
        // relative); the kernel then keeps the period without drift.
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(periodMs) * 10'000;
        ticking_ = SetWaitableTimer(timer_, &due, static_cast<LONG>(periodMs), nullptr, nullptr,
                                    FALSE) != FALSE;
    }
}

// Ticks missed while the loop was busy are not made up: the timer resets on
// the wait that sees it, so it stands for one tick however many passed.
void Win32EventLoop::Tick() {
    if (tick_) {
        // A copy: the tick may stop or replace the ticks.
        const Task tick = tick_;
        const SendBatch::Round sends(sends_);
        tick();
    }
}

int Win32EventLoop::Run() {
    quitting_ = false;
    while (!quitting_) {
        const DWORD handles = ticking_ ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(handles, &timer_, INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        // The wait may report waiting messages before a timer that is due
        // too, so the timer is asked on its own then.
        if (handles == 1 &&
            (woke == WAIT_OBJECT_0 || WaitForSingleObject(timer_, 0) == WAIT_OBJECT_0)) {
            Tick();
        }
        // The requests a burst of replies calls for go out together too.
        const SendBatch::Round sends(sends_);
        MSG message{};
        for (int handled = 0; !quitting_ && handled < kMessagesPerTurn &&
                              PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0;
             ++handled) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return status_;
}

// A flag rather than WM_QUIT, which the queue hands out only once no other
// message waits: tasks that keep posting would hold it back for ever.
void Win32EventLoop::Quit(int status) {
    quitting_ = true;
    status_ = status;
}

}  // namespace trelvo
