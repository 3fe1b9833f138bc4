#pragma once

#include <windows.h>

#include <functional>

namespace trelvo::testing {

// Runs the thread's message loop, as the window's dialog loop would, until
// `done` holds or `limitMs` have passed; returns whether `done` held. Each
// tick of the optional 50 ms thread timer calls `tick`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs,
                      const std::function<void()>& tick = {}) {
    const UINT_PTR timer = tick ? SetTimer(nullptr, 0, 50, nullptr) : 0;
    const DWORD start = GetTickCount();
    bool held = done();
    while (!held && GetTickCount() - start < limitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, limitMs - (GetTickCount() - start),
                                  QS_ALLINPUT);
        MSG message;
        while (!held && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) {
                tick();
            } else {
                DispatchMessageW(&message);
            }
            held = done();
        }
    }
    if (timer != 0) {
        KillTimer(nullptr, timer);
    }
    return held;
}

// Handles what is in the thread's queue now, and whatever that posts in
// turn, up to `most` messages; returns how many there were. A link that
// keeps telling itself the same news shows as `most`.
inline int RunPosted(int most = 1000) {
    int handled = 0;
    MSG message;
    while (handled < most && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
        ++handled;
    }
    return handled;
}

}  // namespace trelvo::testing
