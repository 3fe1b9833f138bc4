#include "ui/win32/dialog_appearance.h"

#include "ui/behaviour/dialog_template.h"
#include "ui/win32/resource_ids.h"

namespace trelvo {
namespace {

// The plates behind the status and time fields: red, green and blue 231.
constexpr COLORREF kPlateColour = RGB(231, 231, 231);

HICON LoadIconOfSize(HINSTANCE module, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

}  // namespace

DialogAppearance::DialogAppearance(HINSTANCE module)
    : icon_(LoadIconOfSize(module, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadIconOfSize(module, SM_CXSMICON, SM_CYSMICON)),
      background_(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(IDB_BACKGROUND),
                                                  IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))),
      fieldBrush_(CreateSolidBrush(kPlateColour)) {}

DialogAppearance::~DialogAppearance() {
    DeleteObject(fieldBrush_);
    DeleteObject(background_);
    DestroyIcon(smallIcon_);
    DestroyIcon(icon_);
}

void DialogAppearance::SetIcons(HWND dialog) const {
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void DialogAppearance::EraseBackground(HWND dialog, HDC dc) const {
    RECT client{};
    GetClientRect(dialog, &client);
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, background_);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void DialogAppearance::PaintIconic(HWND dialog) const {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(dialog, &paint);
    SendMessageW(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(dialog, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(dialog, &paint);
}

HBRUSH DialogAppearance::ControlBrush(UINT message, HDC dc, HWND control) const {
    // No control fills its text's background: it stands on the brush below.
    SetBkMode(dc, TRANSPARENT);
    if (message != WM_CTLCOLORSTATIC) {
        return nullptr;
    }
    switch (GetDlgCtrlID(control)) {
        case IDC_SOURCE_FILE:
            // Always disabled; it keeps the standard disabled-edit look.
            return nullptr;
        case IDC_STATUS:
        case IDC_TIME:
            return fieldBrush_;
        default:
            // Labels, and the password and update-code edits while a job
            // runs, show the picture behind their text.
            return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    }
}

}  // namespace trelvo
