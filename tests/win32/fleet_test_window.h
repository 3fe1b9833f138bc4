#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_fleet_view.h"
#include "fleet/fleet.h"
#include "link/win32/win32_tick_clock.h"
#include "ui/win32/fleet_resource_ids.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_fleet_window.h"

namespace trelvo::testing {

// The fleet window shown modeless on the test's thread, with settings in
// memory, and keys delivered as the keyboard would: through the dialog
// manager, then to the focused control.
class FleetTestWindow {
public:
    FleetTestWindow() {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        Win32FleetParts parts;
        parts.clock = std::make_unique<Win32TickClock>();
        parts.settings = std::make_unique<MemorySettings>();
        parts.makeLinks = RealRecorderLinks;
        window_ = std::make_unique<Win32FleetWindow>(GetModuleHandleW(nullptr), std::move(parts));
        dialog_ = window_->ShowModeless();
        SetForegroundWindow(dialog_);
    }

    HWND dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    HWND list() const { return Control(IDC_FLEET_RECORDERS); }

    static std::wstring Text(HWND window) {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        return text;
    }

    // One message as it comes from the queue: the dialog manager first.
    void Deliver(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const {
        MSG msg{target, message, wParam, lParam, 0, {}};
        if (!IsDialogMessageW(dialog_, &msg)) {
            DispatchMessageW(&msg);
        }
        Pump();
    }
    // A key pressed and let go on the focused control; `character` is what
    // it types, if anything.
    void Press(UINT key, wchar_t character = 0) const {
        const HWND focus = GetFocus();
        Deliver(focus, WM_KEYDOWN, key, 1);
        if (character != 0) {
            Deliver(focus, WM_CHAR, character, 1);
        }
        Deliver(focus, WM_KEYUP, key, 1 | (3U << 30));
    }
    // Alt with a letter: the dialog manager's mnemonics.
    void PressAlt(wchar_t letter) const { Deliver(GetFocus(), WM_SYSCHAR, letter, 1 | (1U << 29)); }
    void Focus(int id) const {
        SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
        Pump();
    }
    static void Pump() {
        MSG msg;
        for (int handled = 0; handled < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
             ++handled) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    int RowCount() const { return static_cast<int>(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0)); }
    std::wstring Cell(int row, int column) const {
        wchar_t text[256] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    bool Checked(int row) const {
        const auto state =
            static_cast<UINT>(SendMessageW(list(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }
    void FocusRow(int row) const {
        Focus(IDC_FLEET_RECORDERS);
        LVITEMW item{};
        item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        item.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageW(list(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

private:
    std::unique_ptr<Win32FleetWindow> window_;
    HWND dialog_ = nullptr;
};

// Answers the modal windows that open on this thread while it lives (the
// Add dialog, message boxes, the context menu) with `answer`, and keeps
// what each showed: its title and the texts of its controls.
class ModalAnswers {
public:
    using Answer = std::function<void(HWND window)>;

    explicit ModalAnswers(Answer answer) : answer_(std::move(answer)) {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
    }
    ~ModalAnswers() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    // Title, then each control's text, one line each.
    const std::vector<std::wstring>& shown() const { return shown_; }

    static std::wstring AllTexts(HWND window) {
        std::wstring texts = FleetTestWindow::Text(window);
        EnumChildWindows(
            window,
            [](HWND child, LPARAM all) {
                *reinterpret_cast<std::wstring*>(all) += L"\n" + FleetTestWindow::Text(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&texts));
        return texts;
    }
    // Presses a dialog's button, as a click would.
    static void Click(HWND window, int id) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_ != nullptr) {
            const auto window = reinterpret_cast<HWND>(wParam);
            wchar_t kind[32] = {};
            GetClassNameW(window, kind, 32);
            // Only the dialogs and boxes that open over the fleet window.
            if (std::wstring(kind) == L"#32770" && GetWindow(window, GW_OWNER) != nullptr) {
                current_->shown_.push_back(AllTexts(window));
                current_->answer_(window);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline ModalAnswers* current_ = nullptr;
    Answer answer_;
    HHOOK hook_ = nullptr;
    std::vector<std::wstring> shown_;
};

}  // namespace trelvo::testing
