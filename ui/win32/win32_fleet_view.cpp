#include "ui/win32/win32_fleet_view.h"

#include "ui/win32/fleet_resource_ids.h"
#include "ui/win32/win32_add_recorders.h"
#include "ui/win32/win32_standard_dialogs.h"
#include "ui/win32/win32_text.h"

namespace trelvo {

static_assert(IDC_FLEET_FIRST == 2000 &&
              IDC_FLEET_SUMMARY == IDC_FLEET_FIRST + static_cast<int>(FleetControl::Summary) &&
              IDC_FLEET_RECORDERS == IDC_FLEET_FIRST + static_cast<int>(FleetControl::Recorders));

Win32FleetView::Win32FleetView(HWND dialog)
    : dialog_(dialog), list_(GetDlgItem(dialog, IDC_FLEET_RECORDERS)) {}

std::wstring Win32FleetView::WideText(FleetControl control) const {
    const HWND window = Control(control);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string Win32FleetView::Text(FleetControl control) const {
    return Utf8FromUtf16(WideText(control));
}

Secret Win32FleetView::SecretText(FleetControl control) const {
    std::wstring text = WideText(control);
    Secret utf8 = Utf8SecretFromUtf16(text);
    WipeWide(text);
    return utf8;
}

// The edit keeps its text in one buffer that a text of the same length
// overwrites in place; emptying it alone would leave the characters there.
void Win32FleetView::ClearSecret(FleetControl control) {
    const HWND edit = Control(control);
    const std::wstring filler(static_cast<std::size_t>(GetWindowTextLengthW(edit)), L' ');
    SetWindowTextW(edit, filler.c_str());
    SetWindowTextW(edit, L"");
}

void Win32FleetView::SetText(FleetControl control, const std::string& text) {
    SetWindowTextW(Control(control), Utf16FromUtf8(text).c_str());
}

void Win32FleetView::Enable(FleetControl control, bool enable) {
    EnableWindow(Control(control), enable ? TRUE : FALSE);
}

// Through the dialog manager, so the default button follows the focus as
// it does when the operator tabs.
void Win32FleetView::SetFocus(FleetControl control) {
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(control)), TRUE);
}

void Win32FleetView::SetChoices(FleetControl control, const std::vector<std::string>& texts) {
    const HWND box = Control(control);
    const LRESULT chosen = SendMessageW(box, CB_GETCURSEL, 0, 0);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& text : texts) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16FromUtf8(text).c_str()));
    }
    // The same entry stays chosen when the texts change language.
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int Win32FleetView::Choice(FleetControl control) const {
    return static_cast<int>(SendMessageW(Control(control), CB_GETCURSEL, 0, 0));
}

void Win32FleetView::SetChoice(FleetControl control, int index) {
    SendMessageW(Control(control), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32FleetView::SetColumnTitles(const std::vector<std::string>& titles) {
    list_.SetColumnTitles(titles);
}

void Win32FleetView::SetSortIndicator(int column, bool ascending) {
    list_.SetSortIndicator(column, ascending);
}

void Win32FleetView::RowsReset() {
    list_.Reset();
}

void Win32FleetView::RowsChanged(int first, int last) {
    list_.Changed(first, last);
}

int Win32FleetView::CurrentRow() const {
    return list_.CurrentRow();
}

std::optional<std::string> Win32FleetView::ChooseFile(FleetFile /*kind*/, bool save,
                                                      const std::string& title,
                                                      const std::string& filter,
                                                      const std::string& folder,
                                                      const std::string& proposedName) {
    return ChooseFilePath(dialog_, save, title, filter, folder, proposedName);
}

std::optional<AddedRecorders> Win32FleetView::AskRecorders() {
    return AskForRecorders(dialog_, FleetBehaviour::AddTexts());
}

bool Win32FleetView::Confirm(const std::string& text) {
    return AskYesNo(dialog_, Utf16FromUtf8(text));
}

void Win32FleetView::ShowMessage(const std::string& text) {
    ShowWarning(dialog_, Utf16FromUtf8(text));
}

void Win32FleetView::CopyText(const std::string& text) {
    PutOnClipboard(dialog_, Utf16FromUtf8(text));
}

// The dialog's loop ends once the message being handled is.
void Win32FleetView::CloseWindow() {
    EndDialog(dialog_, IDCANCEL);
}

}  // namespace trelvo
