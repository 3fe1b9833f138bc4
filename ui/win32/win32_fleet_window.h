#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "fleet/fleet.h"
#include "job/job_environment.h"
#include "link/win32/win32_window_event_loop.h"
#include "ui/fleet/fleet_settings.h"
#include "ui/win32/win32_api.h"

namespace trelvo {

class FleetBehaviour;
class Win32FleetView;

// What the fleet window reaches outside itself; tests put their own here.
struct Win32FleetParts {
    std::unique_ptr<TickClock> clock;
    std::unique_ptr<FleetSettings> settings;
    Fleet::LinkFactory makeLinks;
    // Where Hosts file… looks first.
    std::string hostsPath;
    std::uint16_t port = UPDATE_PORT;
};

// The fleet window, dialog template 140. It only routes the platform's
// messages to the behaviour, which decides everything: commands, the
// list's clicks, keys and context menu, the close. The engine runs on the
// window's event loop, so on this thread under any message loop.
class Win32FleetWindow {
public:
    Win32FleetWindow(HINSTANCE module, Win32FleetParts parts);
    ~Win32FleetWindow();
    Win32FleetWindow(const Win32FleetWindow&) = delete;
    Win32FleetWindow& operator=(const Win32FleetWindow&) = delete;

    // Shows the window without a parent and returns once it has closed.
    void RunModal();
    // The window shown modeless, for a loop of the caller's that passes its
    // messages through IsDialogMessageW; closing hides it.
    HWND ShowModeless();
    HWND handle() const { return dialog_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void OnCommand(int id, WORD notification);
    LRESULT OnListNotify(NMHDR& header);
    void OnContextMenu(LPARAM where);
    void OnClose();

    HINSTANCE module_;
    Win32FleetParts parts_;
    Win32WindowEventLoop loop_;
    HWND dialog_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    // Both exist while the window does.
    std::unique_ptr<Win32FleetView> view_;
    std::unique_ptr<FleetBehaviour> behaviour_;
};

}  // namespace trelvo
