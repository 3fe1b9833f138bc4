#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "link/event_loop.h"
#include "link/win32/link_message_window.h"

namespace trelvo {

// Tasks posted from any thread, run on the thread of the link message
// window by whatever message loop runs there: the loop's own, a dialog's,
// a message box's.
class PostedTasks final : private LinkMessageHandler {
public:
    explicit PostedTasks(LinkMessageWindow& window);
    ~PostedTasks();
    PostedTasks(const PostedTasks&) = delete;
    PostedTasks& operator=(const PostedTasks&) = delete;

    void Post(EventLoop::Task task);

private:
    void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    LinkMessageWindow& window_;
    const HWND handle_;
    const UINT message_;
    std::mutex mutex_;
    std::vector<EventLoop::Task> posted_;  // under the mutex, as is whether a message is on its way
    bool messagePosted_ = false;
};

}  // namespace trelvo
