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

// A modal box with only an OK button and the exclamation icon. Returns once
// the operator has confirmed it; the owner's timer and the links'
// notifications go on arriving meanwhile.
void ShowWarning(HWND owner, const std::wstring& text);

// The file-open dialog with `filter` in the "label|patterns||" form; nothing
// when the operator cancels. Names the file need not exist.
std::optional<ChosenFile> ChooseUpdateFile(HWND owner, const std::string& title,
                                           const std::string& filter);

}  // namespace trelvo
