// The window's colours: which brush each control's background gets, and
// the picture under the client area.
#include "ui/win32/dialog_appearance.h"

#include <gtest/gtest.h>

#include "tests/win32/test_dialog.h"
#include "ui/behaviour/dialog_template.h"

namespace trelvo {
namespace {

class DialogAppearanceTest : public ::testing::Test {
protected:
    TestDialog dialog_;
    DialogAppearance appearance_{GetModuleHandleW(nullptr)};
    HDC dc_ = CreateCompatibleDC(nullptr);

    ~DialogAppearanceTest() override { DeleteDC(dc_); }
};

enum class Brush { System, Plate, Hollow };

TEST_F(DialogAppearanceTest, BrushByMessageAndControl) {
    const struct {
        UINT message;
        ControlId id;
        Brush brush;
    } rows[] = {
        {WM_CTLCOLORSTATIC, IDC_LABEL_PASSWORD, Brush::Hollow},
        {WM_CTLCOLORSTATIC, IDC_LABEL_TIME, Brush::Hollow},
        {WM_CTLCOLORSTATIC, IDC_PASSWORD, Brush::Hollow},  // disabled while a job runs
        {WM_CTLCOLORSTATIC, IDC_STATUS, Brush::Plate},
        {WM_CTLCOLORSTATIC, IDC_TIME, Brush::Plate},
        {WM_CTLCOLORSTATIC, IDC_SOURCE_FILE, Brush::System},
        {WM_CTLCOLOREDIT, IDC_PASSWORD, Brush::System},
        {WM_CTLCOLORBTN, IDC_START, Brush::System},
        {WM_CTLCOLORLISTBOX, IDC_ADDRESS, Brush::System},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        SetBkMode(dc_, OPAQUE);
        const HBRUSH brush = appearance_.ControlBrush(row.message, dc_, dialog_.Control(row.id));
        EXPECT_EQ(GetBkMode(dc_), TRANSPARENT);
        switch (row.brush) {
            case Brush::System:
                EXPECT_EQ(brush, nullptr);
                break;
            case Brush::Hollow:
                EXPECT_EQ(brush, GetStockObject(HOLLOW_BRUSH));
                break;
            case Brush::Plate: {
                LOGBRUSH plate{};
                ASSERT_NE(brush, nullptr);
                GetObjectW(brush, sizeof(plate), &plate);
                EXPECT_EQ(plate.lbStyle, static_cast<UINT>(BS_SOLID));
                EXPECT_EQ(plate.lbColor, RGB(231, 231, 231));
                break;
            }
        }
    }
}

TEST_F(DialogAppearanceTest, PictureStartsAtTheClientAreasCorner) {
    const HDC screen = GetDC(dialog_.hwnd());
    const HBITMAP canvas = CreateCompatibleBitmap(screen, 441, 311);
    const HGDIOBJ previous = SelectObject(dc_, canvas);
    appearance_.EraseBackground(dialog_.hwnd(), dc_);

    const HBITMAP picture = static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
    const HDC source = CreateCompatibleDC(screen);
    const HGDIOBJ previousSource = SelectObject(source, picture);
    for (const POINT at : {POINT{0, 0}, POINT{200, 150}, POINT{440, 300}}) {
        EXPECT_EQ(GetPixel(dc_, at.x, at.y), GetPixel(source, at.x, at.y)) << at.x << "," << at.y;
    }
    SelectObject(source, previousSource);
    DeleteDC(source);
    DeleteObject(picture);
    SelectObject(dc_, previous);
    DeleteObject(canvas);
    ReleaseDC(dialog_.hwnd(), screen);
}

}  // namespace
}  // namespace trelvo
