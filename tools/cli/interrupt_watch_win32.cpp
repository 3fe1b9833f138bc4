#include <windows.h>

#include <atomic>

#include "tools/cli/interrupt_watch.h"

namespace trelvo {

// The console runs its control handler on a thread of its own; the news
// reaches the run as a task posted to its loop.
struct InterruptWatch::Platform {
    EventLoop& loop;
    std::function<void()> onInterrupt;
};

namespace {

std::atomic<InterruptWatch::Platform*> watching{nullptr};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    if (InterruptWatch::Platform* platform = watching.load()) {
        platform->loop.Post(platform->onInterrupt);
    }
    return TRUE;
}

}  // namespace

InterruptWatch::InterruptWatch(EventLoop& loop, std::function<void()> onInterrupt)
    : platform_(std::make_unique<Platform>(Platform{loop, std::move(onInterrupt)})) {
    watching = platform_.get();
    SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}

InterruptWatch::~InterruptWatch() {
    SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
    watching = nullptr;
}

}  // namespace trelvo
