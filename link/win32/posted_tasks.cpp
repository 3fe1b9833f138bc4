#include "link/win32/posted_tasks.h"

namespace trelvo {

PostedTasks::PostedTasks(LinkMessageWindow& window)
    : window_(window), handle_(window.handle()), message_(window.Add(*this)) {}

PostedTasks::~PostedTasks() {
    window_.Remove(message_);
}

void PostedTasks::Post(EventLoop::Task task) {
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
void PostedTasks::OnLinkMessage(UINT, WPARAM, LPARAM) {
    std::vector<EventLoop::Task> tasks;
    {
        const std::lock_guard lock(mutex_);
        tasks.swap(posted_);
        messagePosted_ = false;
    }
    for (EventLoop::Task& task : tasks) {
        task();
    }
}

}  // namespace trelvo
