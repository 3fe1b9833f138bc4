#pragma once

#include "ui/win32/win32_api.h"

namespace trelvo {

// How the update window looks beyond its controls: the background picture
// over the whole client area, labels drawn straight onto it, the status and
// time fields on light-grey plates, and the program's icon. The drawing
// objects live as long as this object.
class DialogAppearance {
public:
    explicit DialogAppearance(HINSTANCE module);
    ~DialogAppearance();
    DialogAppearance(const DialogAppearance&) = delete;
    DialogAppearance& operator=(const DialogAppearance&) = delete;

    // Gives the window its large and small icon.
    void SetIcons(HWND dialog) const;
    // Copies the picture, unscaled, with its top-left pixel at the client
    // area's top-left corner.
    void EraseBackground(HWND dialog, HDC dc) const;
    // Paints the icon centred in a minimised window's client area.
    void PaintIconic(HWND dialog) const;
    // The brush a control paints its background with for a WM_CTLCOLOR*
    // message, or nullptr for the system's own.
    HBRUSH ControlBrush(UINT message, HDC dc, HWND control) const;

    HICON icon() const { return icon_; }

private:
    HICON icon_;
    HICON smallIcon_;
    HBITMAP background_;
    HBRUSH fieldBrush_;
};

}  // namespace trelvo
