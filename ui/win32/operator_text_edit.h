#pragma once

#include "ui/win32/win32_api.h"

namespace trelvo {

// Makes an edit take only the characters the rule for operator texts
// allows, typed or pasted: what it holds goes to a recorder in Windows-1252,
// and a character the rule refuses would arrive as something the operator
// never typed. Editing keys (Backspace, Ctrl+C ...) keep their meaning.
void AcceptOnlyOperatorText(HWND edit);

}  // namespace trelvo
