#include "ui/win32/win32_fleet_window.h"

#include <utility>

#include "ui/fleet/fleet_behaviour.h"
#include "ui/win32/fleet_resource_ids.h"
#include "ui/win32/operator_text_edit.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_fleet_view.h"
#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

constexpr UINT_PTR kButtonSubclass = 1;

// The dialog's procedure reports a handled message with TRUE and puts its
// result where the dialog manager looks for it.
INT_PTR Handled(HWND dialog, LRESULT result) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

// A button that never becomes the default one: Return, wherever the focus
// is, presses nothing in this window; Space and the mnemonic still do.
LRESULT CALLBACK NeverDefault(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    if (message == WM_GETDLGCODE) {
        return DefSubclassProc(button, message, wParam, lParam) &
               ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(button, NeverDefault, kButtonSubclass);
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

constexpr FleetControl kButtons[] = {
    FleetControl::Browse,      FleetControl::Add,         FleetControl::HostsFile,
    FleetControl::Discover,    FleetControl::CheckAll,    FleetControl::CheckNone,
    FleetControl::CheckNeeded, FleetControl::Probe,       FleetControl::Start,
    FleetControl::Abort,       FleetControl::RetryFailed, FleetControl::Export,
    FleetControl::Exit,
};

// The edits whose text goes to a recorder or is compared with its replies.
constexpr FleetControl kOperatorTextEdits[] = {FleetControl::Password, FleetControl::Code,
                                               FleetControl::Range, FleetControl::Skip,
                                               FleetControl::Expect};

constexpr RowCommand kRowCommands[] = {RowCommand::Abort, RowCommand::Retry, RowCommand::Remove,
                                       RowCommand::Copy};

}  // namespace

Win32FleetWindow::Win32FleetWindow(HINSTANCE module, Win32FleetParts parts)
    : module_(module), parts_(std::move(parts)) {
    icon_ =
        static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
}

Win32FleetWindow::~Win32FleetWindow() {
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    for (HICON icon : {icon_, smallIcon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

void Win32FleetWindow::RunModal() {
    DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_FLEET_DIALOG), nullptr, DialogProc,
                    reinterpret_cast<LPARAM>(this));
}

HWND Win32FleetWindow::ShowModeless() {
    return CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_FLEET_DIALOG), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Win32FleetWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    }
    auto* self = reinterpret_cast<Win32FleetWindow*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    return self != nullptr ? self->Handle(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR Win32FleetWindow::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog);
        return TRUE;  // the focus to the first tab stop, the password
    }
    // Controls report their set-up before the behaviour exists.
    if (behaviour_ == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.idFrom != IDC_FLEET_RECORDERS) {
                return FALSE;
            }
            return Handled(dialog, OnListNotify(header));
        }
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == view_->list().handle()) {
                OnContextMenu(lParam);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            OnClose();
            return TRUE;
        case WM_DESTROY:
            // The behaviour's jobs end before the controls they report to.
            behaviour_.reset();
            view_.reset();
            dialog_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void Win32FleetWindow::OnInitDialog(HWND dialog) {
    dialog_ = dialog;
    SetWindowTextW(dialog, Utf16FromUtf8(FleetBehaviour::WindowTitle()).c_str());
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    for (const FleetControl edit : kOperatorTextEdits) {
        AcceptOnlyOperatorText(GetDlgItem(dialog, Win32FleetView::ControlId(edit)));
    }
    for (const FleetControl button : kButtons) {
        SetWindowSubclass(GetDlgItem(dialog, Win32FleetView::ControlId(button)), NeverDefault,
                          kButtonSubclass, 0);
    }
    view_ = std::make_unique<Win32FleetView>(dialog);
    behaviour_ = std::make_unique<FleetBehaviour>(*view_, *parts_.settings, loop_, *parts_.clock,
                                                  parts_.makeLinks, parts_.port);
    view_->list().ReadFrom(behaviour_.get());
    behaviour_->OnInit(parts_.hostsPath);
}

void Win32FleetWindow::OnCommand(int id, WORD notification) {
    const auto control = static_cast<FleetControl>(id - IDC_FLEET_FIRST);
    if (control == FleetControl::Filter) {
        if (notification == CBN_SELCHANGE) {
            behaviour_->OnFilterChange();
        }
        return;
    }
    // IDOK (Return) and IDCANCEL (Escape) mean nothing here.
    if (notification != BN_CLICKED || id < IDC_FLEET_FIRST) {
        return;
    }
    FleetBehaviour& b = *behaviour_;
    switch (control) {
        case FleetControl::Browse:
            b.OnBrowse();
            break;
        case FleetControl::Add:
            b.OnAdd();
            break;
        case FleetControl::HostsFile:
            b.OnHostsFile();
            break;
        case FleetControl::Discover:
            b.OnDiscover();
            break;
        case FleetControl::CheckAll:
            b.OnCheckAll();
            break;
        case FleetControl::CheckNone:
            b.OnCheckNone();
            break;
        case FleetControl::CheckNeeded:
            b.OnCheckNeeded();
            break;
        case FleetControl::Probe:
            b.OnProbe();
            break;
        case FleetControl::Start:
            b.OnStart();
            break;
        case FleetControl::Abort:
            b.OnAbort();
            break;
        case FleetControl::RetryFailed:
            b.OnRetryFailed();
            break;
        case FleetControl::Export:
            b.OnExport();
            break;
        case FleetControl::Exit:
            OnClose();
            break;
        default:
            break;
    }
}

LRESULT Win32FleetWindow::OnListNotify(NMHDR& header) {
    Win32FleetList& list = view_->list();
    switch (header.code) {
        case LVN_GETDISPINFOW:
            list.FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(&header));
            return 0;
        case NM_CUSTOMDRAW:
            return list.CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(&header));
        case LVN_COLUMNCLICK:
            behaviour_->OnSort(reinterpret_cast<NMLISTVIEW*>(&header)->iSubItem);
            return 0;
        case LVN_KEYDOWN:
            if (reinterpret_cast<NMLVKEYDOWN*>(&header)->wVKey == VK_SPACE &&
                list.CurrentRow() >= 0) {
                behaviour_->OnToggleCheck(list.CurrentRow());
            }
            return 0;
        case NM_CLICK: {
            const auto& click = *reinterpret_cast<NMITEMACTIVATE*>(&header);
            if (click.iItem >= 0 && list.OnCheckBox(click.ptAction)) {
                behaviour_->OnToggleCheck(click.iItem);
            }
            return 0;
        }
        default:
            return 0;
    }
}

// From the mouse at the row under it, which the click has made current;
// from Shift+F10 or the menu key (no place) at the current row.
void Win32FleetWindow::OnContextMenu(LPARAM where) {
    Win32FleetList& list = view_->list();
    POINT place{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    const bool fromKeyboard = where == -1;
    const int row = fromKeyboard ? list.CurrentRow() : list.RowAt(place);
    if (row < 0) {
        return;
    }
    if (fromKeyboard) {
        place = list.MenuPlace(row);
    }
    const HMENU menu = CreatePopupMenu();
    for (const RowCommand command : kRowCommands) {
        const UINT state = behaviour_->RowCommandEnabled(row, command) ? MF_ENABLED : MF_GRAYED;
        AppendMenuW(menu, MF_STRING | state, static_cast<UINT_PTR>(command) + 1,
                    Utf16FromUtf8(FleetBehaviour::RowCommandText(command)).c_str());
    }
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, place.x,
                                      place.y, 0, dialog_, nullptr);
    DestroyMenu(menu);
    // The row may have gone while the menu was open.
    if (chosen > 0 && behaviour_ != nullptr && row < behaviour_->RowCount()) {
        behaviour_->OnRowCommand(row, static_cast<RowCommand>(chosen - 1));
    }
}

void Win32FleetWindow::OnClose() {
    if (behaviour_->OnClose()) {
        view_->CloseWindow();
    }
}

}  // namespace trelvo
