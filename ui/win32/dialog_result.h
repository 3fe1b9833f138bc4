#pragma once

#include "ui/win32/win32_api.h"

namespace trelvo {

// A dialog procedure reports a handled message with TRUE and puts its
// result where the dialog manager looks for it.
inline INT_PTR Handled(HWND dialog, LRESULT result) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace trelvo
