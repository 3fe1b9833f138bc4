#include "ui/win32/win32_dialog_view.h"

#include "ui/win32/win32_standard_dialogs.h"
#include "ui/win32/win32_text.h"

namespace trelvo {

std::wstring Win32DialogView::WideText(ControlId id) const {
    const HWND control = Control(id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string Win32DialogView::Text(ControlId id) const {
    return Utf8FromUtf16(WideText(id));
}

Secret Win32DialogView::SecretText(ControlId id) const {
    std::wstring text = WideText(id);
    Secret utf8 = Utf8SecretFromUtf16(text);
    WipeWide(text);
    return utf8;
}

void Win32DialogView::SetText(ControlId id, const std::string& text) {
    SetWindowTextW(Control(id), Utf16FromUtf8(text).c_str());
}

void Win32DialogView::Enable(ControlId id, bool enable) {
    const HWND control = Control(id);
    EnableWindow(control, enable ? TRUE : FALSE);
    // A disabled edit draws without a background of its own; the picture
    // behind it must be painted again, or the edit's old white stays.
    RECT area{};
    GetWindowRect(control, &area);
    MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(dialog_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32DialogView::SetProgress(int position) {
    SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

std::optional<ControlId> Win32DialogView::FocusedControl() const {
    // The address box's edit field is a child of the box: the control is
    // the dialog's child that holds the focus window.
    HWND focused = GetFocus();
    while (focused != nullptr && GetParent(focused) != dialog_) {
        focused = GetParent(focused);
    }
    if (focused == nullptr) {
        return std::nullopt;
    }
    return static_cast<ControlId>(GetDlgCtrlID(focused));
}

void Win32DialogView::SetFocus(ControlId id) {
    // Through the dialog manager, so the default button follows the focus
    // as it does when the operator tabs.
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

void Win32DialogView::ClearList(ControlId id) {
    SendMessageW(Control(id), CB_RESETCONTENT, 0, 0);
}

void Win32DialogView::AppendToList(ControlId id, const std::string& text) {
    SendMessageW(Control(id), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf16FromUtf8(text).c_str()));
}

int Win32DialogView::ListCount(ControlId id) const {
    return static_cast<int>(SendMessageW(Control(id), CB_GETCOUNT, 0, 0));
}

void Win32DialogView::Select(ControlId id, int index) {
    SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32DialogView::Selected(ControlId id) const {
    return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

std::optional<ChosenFile> Win32DialogView::ChooseFile(const std::string& title,
                                                      const std::string& filter) {
    return ChooseUpdateFile(dialog_, title, filter);
}

void Win32DialogView::MakeCurrentFolder(const std::string& folder) {
    SetCurrentDirectoryW(Utf16FromUtf8(folder).c_str());
}

void Win32DialogView::ShowMessage(const std::string& text) {
    ShowWarning(dialog_, Utf16FromUtf8(text));
}

void Win32DialogView::PostClose() {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
}

void Win32DialogView::EndDialog() {
    ::EndDialog(dialog_, IDCANCEL);
}

}  // namespace trelvo
