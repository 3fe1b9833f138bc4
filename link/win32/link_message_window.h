#pragma once

#include <windows.h>

#include <unordered_map>

namespace trelvo {

// Receives the window messages registered for it: socket readiness,
// answers of name lookups.
class LinkMessageHandler {
public:
    virtual void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~LinkMessageHandler() = default;
};

// A hidden message-only window through which readiness and answers reach
// the thread that runs the links, one message at a time from whatever
// message loop runs there (the dialog's, a message box's, a test's). Each
// registration gets a message number of its own, so a message that was
// already queued for a registration that has gone finds nobody, even when
// the socket handle it names has been handed out again.
class LinkMessageWindow {
public:
    // The window of the calling thread, made on first use; null handle when
    // it cannot be made. It goes when the thread ends, so the links that use
    // it must go before.
    static LinkMessageWindow& ForThisThread();

    LinkMessageWindow();
    ~LinkMessageWindow();
    LinkMessageWindow(const LinkMessageWindow&) = delete;
    LinkMessageWindow& operator=(const LinkMessageWindow&) = delete;

    HWND handle() const { return window_; }
    // The message number now reserved for `handler`, or 0 when none is free.
    UINT Add(LinkMessageHandler& handler);
    // Messages with this number are dropped from now on; 0 is ignored.
    void Remove(UINT message);

private:
    static bool RegisterWindowClass();
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::unordered_map<UINT, LinkMessageHandler*> handlers_;
    UINT next_;
};

}  // namespace trelvo
