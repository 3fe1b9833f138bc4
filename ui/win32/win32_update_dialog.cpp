#include "ui/win32/win32_update_dialog.h"

#include <utility>

#include "job/job_environment.h"
#include "ui/behaviour/dialog_template.h"
#include "ui/win32/operator_text_edit.h"
#include "ui/win32/resource_ids.h"

namespace trelvo {
namespace {

constexpr UINT_PTR kRefreshTimer = 1234;

// The dialog's procedure reports a handled message with TRUE and puts its
// result where the dialog manager looks for it.
INT_PTR Handled(HWND dialog, LRESULT result) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

Win32UpdateDialog::Win32UpdateDialog(HINSTANCE module, Win32DialogParts parts)
    : module_(module), parts_(std::move(parts)), appearance_(module) {}

void Win32UpdateDialog::RunModal() {
    DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_UPDATE_DIALOG), nullptr, DialogProc,
                    reinterpret_cast<LPARAM>(this));
    behaviour_.reset();
    view_.reset();
}

INT_PTR CALLBACK Win32UpdateDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    }
    auto* self = reinterpret_cast<Win32UpdateDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    return self != nullptr ? self->Handle(dialog, message, wParam, lParam) : FALSE;
}

INT_PTR Win32UpdateDialog::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // Controls report their set-up changes before the behaviour exists.
    if (behaviour_ == nullptr && message != WM_INITDIALOG) {
        return FALSE;
    }
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            // The focus goes to the first tab stop, the password.
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_TIMER:
            behaviour_->OnTimer();
            return TRUE;
        case WM_CLOSE:
            behaviour_->OnCancel();
            return TRUE;
        case WM_ERASEBKGND:
            appearance_.EraseBackground(dialog, reinterpret_cast<HDC>(wParam));
            return Handled(dialog, TRUE);
        case WM_PAINT:
            if (!IsIconic(dialog)) {
                return FALSE;
            }
            appearance_.PaintIconic(dialog);
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(appearance_.icon());
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
            // A null brush lets the dialog manager give the system's own.
            return reinterpret_cast<INT_PTR>(appearance_.ControlBrush(
                message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        default:
            return FALSE;
    }
}

void Win32UpdateDialog::OnInitDialog(HWND dialog) {
    appearance_.SetIcons(dialog);
    // Start stays the default button: Return presses it unless the operator
    // has put the focus on another button.
    SendMessageW(dialog, DM_SETDEFID, IDC_START, 0);
    AcceptOnlyOperatorText(GetDlgItem(dialog, IDC_PASSWORD));
    AcceptOnlyOperatorText(GetDlgItem(dialog, IDC_UPDATE_CODE));
    // The name or address follows the same rule, in the box's own edit.
    COMBOBOXINFO address{};
    address.cbSize = sizeof(address);
    if (GetComboBoxInfo(GetDlgItem(dialog, IDC_ADDRESS), &address)) {
        AcceptOnlyOperatorText(address.hwndItem);
    }

    view_ = std::make_unique<Win32DialogView>(dialog);
    behaviour_ = std::make_unique<DialogBehaviour>(*view_, *parts_.net, *parts_.serial,
                                                   *parts_.clock, parts_.port);
    behaviour_->OnInitDialog(parts_.hostsPath);
    // Never stopped: it ends with the window.
    SetTimer(dialog, kRefreshTimer, TICK_PERIOD_MS, nullptr);
}

void Win32UpdateDialog::OnCommand(WORD id, WORD notification) {
    switch (id) {
        case IDC_BROWSE:
            if (notification == BN_CLICKED) {
                behaviour_->OnBrowse();
            }
            break;
        case IDC_START:
            if (notification == BN_CLICKED) {
                behaviour_->OnStart();
            }
            break;
        case IDC_EXIT:
            if (notification == BN_CLICKED) {
                behaviour_->OnExit();
            }
            break;
        case IDC_LINK_KIND:
            if (notification == CBN_SELCHANGE) {
                behaviour_->OnLinkKindChange();
            }
            break;
        case IDC_ADDRESS:
            if (notification == CBN_EDITCHANGE) {
                behaviour_->OnAddressEdit();
            }
            break;
        case IDCANCEL:
            // Esc.
            behaviour_->OnCancel();
            break;
        default:
            break;
    }
}

}  // namespace trelvo
