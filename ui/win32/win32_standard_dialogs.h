#pragma once

#include <optional>
#include <string>

#include "ui/behaviour/dialog_view.h"
#include "ui/win32/win32_api.h"

// The platform's own modal dialogs as the window runs them.
namespace trelvo {

// The executable's file name without its folder and extension: the caption
// of every message box, so renaming the program renames the boxes.
std::wstring ApplicationName();

// A string resource's text in the program's one language. It never passes
// through the text table: it is German on every system.
std::wstring ResourceText(HINSTANCE module, UINT id);

// A modal box with only an OK button and the exclamation icon. Returns once
// the operator has confirmed it; the owner's timer and the links'
// notifications go on arriving meanwhile.
void ShowWarning(HWND owner, const std::wstring& text);

// The file-open dialog with `filter` in the "label|patterns||" form; nothing
// when the operator cancels. Names the file need not exist.
std::optional<ChosenFile> ChooseUpdateFile(HWND owner, const std::string& title,
                                           const std::string& filter);

// The file-open or, with `save`, the file-save dialog in `folder` (empty: the
// current one), proposing `proposedName`; the whole path chosen (UTF-8), or
// nothing when the operator cancels. Saving over a file asks first.
std::optional<std::string> ChooseFilePath(HWND owner, bool save, const std::string& title,
                                          const std::string& filter, const std::string& folder,
                                          const std::string& proposedName);

// A modal yes/no question with the question icon: Return answers yes (the
// default button), Escape no, which a plain yes/no box would not take.
bool AskYesNo(HWND owner, const std::wstring& text);

// Puts the text on the clipboard as Unicode text; false when the clipboard
// is held by another program.
bool PutOnClipboard(HWND owner, const std::wstring& text);

}  // namespace trelvo
