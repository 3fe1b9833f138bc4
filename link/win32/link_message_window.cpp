#include "link/win32/link_message_window.h"

namespace trelvo {
namespace {

constexpr wchar_t kClassName[] = L"TrelvoLinkMessages";
// The numbers an application may use for messages of its own.
constexpr UINT kFirstMessage = WM_APP;
constexpr UINT kLastMessage = 0xBFFF;

}  // namespace

bool LinkMessageWindow::RegisterWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &LinkMessageWindow::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LinkMessageWindow& LinkMessageWindow::ForThisThread() {
    // A window belongs to the thread that made it, and only that thread's
    // message loop delivers its messages.
    thread_local LinkMessageWindow window;
    return window;
}

LinkMessageWindow::LinkMessageWindow() : next_(kFirstMessage) {
    if (!RegisterWindowClass()) {
        return;
    }
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
}

LinkMessageWindow::~LinkMessageWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

UINT LinkMessageWindow::Add(LinkMessageHandler& handler) {
    if (window_ == nullptr) {
        return 0;
    }
    // Numbers are handed out in turn, so one that has just been given up is
    // the last to come round again.
    for (UINT tried = 0; tried <= kLastMessage - kFirstMessage; ++tried) {
        const UINT message = next_;
        next_ = next_ == kLastMessage ? kFirstMessage : next_ + 1;
        if (handlers_.emplace(message, &handler).second) {
            return message;
        }
    }
    return 0;
}

void LinkMessageWindow::Remove(UINT message) {
    handlers_.erase(message);
}

LRESULT CALLBACK LinkMessageWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    // The window's messages arrive on the thread that made it, whose window
    // this is. Only messages of the links' range are looked at, and none of
    // those comes while the window is being made.
    if (message >= kFirstMessage && message <= kLastMessage) {
        LinkMessageWindow& self = ForThisThread();
        // Looked up for every message: a handler may remove itself or others.
        const auto found = self.handlers_.find(message);
        if (found != self.handlers_.end()) {
            found->second->OnLinkMessage(message, wParam, lParam);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace trelvo
