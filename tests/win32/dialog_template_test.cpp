// Dialog template 102 as the platform builds it, row by row against the
// layout table every window shares, and the other resources of the program.
#include "ui/behaviour/dialog_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/test_dialog.h"
#include "trelvo_version.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

std::wstring ClassOf(HWND control) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

std::wstring ExpectedClass(ControlId id) {
    switch (id) {
        case IDC_PASSWORD:
        case IDC_UPDATE_CODE:
        case IDC_SOURCE_FILE:
            return L"Edit";
        case IDC_BROWSE:
        case IDC_START:
        case IDC_EXIT:
            return L"Button";
        case IDC_LINK_KIND:
        case IDC_ADDRESS:
            return L"ComboBox";
        case IDC_PROGRESS:
            return PROGRESS_CLASSW;
        default:
            return L"Static";
    }
}

RECT InDialog(HWND dialog, HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

class DialogTemplateTest : public ::testing::Test {
protected:
    TestDialog dialog_;
};

TEST_F(DialogTemplateTest, EveryControlOfTheTableAtItsRectangleWithItsClassAndText) {
    for (const ControlTemplate& row : kDialogTemplate) {
        SCOPED_TRACE(row.name);
        const HWND control = GetDlgItem(dialog_.hwnd(), row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), ExpectedClass(row.id));
        // The dialog manager converts a control's position and its size each
        // on its own, not its edges.
        RECT mapped{row.rect.x, row.rect.y, row.rect.width, row.rect.height};
        MapDialogRect(dialog_.hwnd(), &mapped);
        const RECT expected{mapped.left, mapped.top, mapped.left + mapped.right,
                            mapped.top + mapped.bottom};
        const RECT actual = InDialog(dialog_.hwnd(), control);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        // A closed combo box is as high as its edit field; the template's
        // height includes the dropped-down list.
        if (ExpectedClass(row.id) != L"ComboBox") {
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
        if (ExpectedClass(row.id) != L"ComboBox") {
            EXPECT_EQ(TestDialog::Text(control), Utf16FromUtf8(row.text));
        }
        EXPECT_EQ(IsWindowVisible(control) != FALSE, row.id != IDC_LINK_KIND);
        EXPECT_TRUE(IsWindowEnabled(control));
    }
}

TEST_F(DialogTemplateTest, TabOrderIsTemplateOrderOverTheVisibleTabStops) {
    const std::vector<ControlId> expected{IDC_PASSWORD, IDC_UPDATE_CODE, IDC_SOURCE_FILE,
                                          IDC_BROWSE,   IDC_ADDRESS,     IDC_START,
                                          IDC_EXIT,     IDC_PASSWORD};
    HWND at = GetDlgItem(dialog_.hwnd(), IDC_PASSWORD);
    for (std::size_t step = 1; step < expected.size(); ++step) {
        at = GetNextDlgTabItem(dialog_.hwnd(), at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), expected[step]) << "step " << step;
    }
}

TEST_F(DialogTemplateTest, StylesThatDecideBehaviour) {
    const auto style = [this](ControlId id) {
        return GetWindowLongW(GetDlgItem(dialog_.hwnd(), id), GWL_STYLE);
    };
    EXPECT_TRUE(style(IDC_PASSWORD) & ES_PASSWORD);
    EXPECT_EQ(style(IDC_ADDRESS) & 3, CBS_DROPDOWN);
    EXPECT_EQ(style(IDC_LINK_KIND) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(style(IDC_START) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(style(IDC_LABEL_PASSWORD) & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(style(IDC_STATUS) & SS_TYPEMASK, SS_LEFT);
    const LONG_PTR extended = GetWindowLongPtrW(dialog_.hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(extended & WS_EX_APPWINDOW);
    const LONG_PTR frame = GetWindowLongPtrW(dialog_.hwnd(), GWL_STYLE);
    EXPECT_FALSE(frame & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(frame & WS_SYSMENU);
}

TEST_F(DialogTemplateTest, CaptionAndClientSize) {
    EXPECT_EQ(TestDialog::Text(dialog_.hwnd()), L"Trelvo  v" TRELVO_VERSION);
    RECT expected{0, 0, kDialogSize.width, kDialogSize.height};
    MapDialogRect(dialog_.hwnd(), &expected);
    RECT client{};
    GetClientRect(dialog_.hwnd(), &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    // In MS Sans Serif 8 pt, as on Windows, the dialog is as wide as its art.
    EXPECT_EQ(client.right, 441);
}

const void* GermanResource(const wchar_t* type, int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id),
                                        MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    return found != nullptr ? LockResource(LoadResource(module, found)) : nullptr;
}

TEST(ProgramResources, AllInGermanGermany) {
    EXPECT_NE(GermanResource(RT_DIALOG, IDD_UPDATE_DIALOG), nullptr);
    EXPECT_NE(GermanResource(RT_GROUP_ICON, IDI_MAIN), nullptr);
    EXPECT_NE(GermanResource(RT_BITMAP, IDB_BACKGROUND), nullptr);
    // Strings are stored sixteen to a block, block n holding ids 16(n-1) to 16n-1.
    EXPECT_NE(GermanResource(RT_STRING, IDS_SOCKET_INIT_FAILED / 16 + 1), nullptr);
    EXPECT_NE(GermanResource(RT_VERSION, 1), nullptr);
}

TEST(ProgramResources, BackgroundIs441By311With256ColoursUncompressed) {
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(GermanResource(RT_BITMAP, IDB_BACKGROUND));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 441);
    EXPECT_EQ(header->biHeight, 311);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ProgramResources, IconHas32And16PixelImagesOf16Colours) {
    const auto* group = static_cast<const WORD*>(GermanResource(RT_GROUP_ICON, IDI_MAIN));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group[2], 2);
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(group + 3);
    EXPECT_EQ(entries[0].width, 32);
    EXPECT_EQ(entries[1].width, 16);
    for (int image = 0; image < 2; ++image) {
        EXPECT_EQ(entries[image].colours, 16);
        EXPECT_EQ(entries[image].bitCount, 4);
    }
}

TEST(ProgramResources, SocketMessageAndVersion) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_SOCKET_INIT_FAILED,
                                   reinterpret_cast<LPWSTR>(&text), 0);
    EXPECT_EQ(std::wstring(text, static_cast<std::size_t>(length)),
              L"Fehler beim Initialisieren der Windows-Sockets.");

    const auto* block = static_cast<const BYTE*>(GermanResource(RT_VERSION, 1));
    ASSERT_NE(block, nullptr);
    // The fixed part follows the block's header and its key "VS_VERSION_INFO".
    const BYTE* at = block + 6 + sizeof(L"VS_VERSION_INFO");
    at += (4 - reinterpret_cast<std::uintptr_t>(at) % 4) % 4;
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(at);
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 2));
}

}  // namespace
}  // namespace trelvo
