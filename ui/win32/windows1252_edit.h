#pragma once

#include "ui/win32/win32_api.h"

namespace trelvo {

// Makes an edit take only characters of the Windows-1252 code page, typed or
// pasted: the password and the update code go to the recorder in it, and a
// character it lacks would arrive as something the operator never typed.
void AcceptOnlyWindows1252(HWND edit);

}  // namespace trelvo
