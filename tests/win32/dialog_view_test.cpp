// The Win32 view on the real controls of template 102: texts cross it as
// UTF-8 (or Windows-1252 for what goes to a recorder), lists, selection,
// focus and the progress position reach the controls unchanged.
#include <gtest/gtest.h>

#include "tests/win32/test_dialog.h"
#include "ui/win32/win32_dialog_view.h"
#include "ui/win32/windows1252_edit.h"

namespace trelvo {
namespace {

class DialogViewTest : public ::testing::Test {
protected:
    TestDialog dialog_;
    Win32DialogView view_{dialog_.hwnd()};
};

TEST_F(DialogViewTest, TextsCrossAsUtf8) {
    const struct {
        ControlId id;
        const char* utf8;
        const wchar_t* shown;
    } rows[] = {
        {IDC_LABEL_TIME, "Übertragungsdauer:", L"\u00dcbertragungsdauer:"},
        {IDC_EXIT, "Abbrechen", L"Abbrechen"},
        {IDC_SOURCE_FILE, "größe.sh", L"gr\u00f6\u00dfe.sh"},
        {IDC_ADDRESS, "", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.utf8);
        view_.SetText(row.id, row.utf8);
        EXPECT_EQ(TestDialog::Text(dialog_.Control(row.id)), row.shown);
        EXPECT_EQ(view_.Text(row.id), row.utf8);
    }
}

TEST_F(DialogViewTest, PasswordComesAsWindows1252Bytes) {
    SetWindowTextW(dialog_.Control(IDC_PASSWORD), L"\u20ac-\u00e4");
    EXPECT_EQ(view_.Windows1252Text(IDC_PASSWORD).text(), "\x80-\xe4");
}

TEST_F(DialogViewTest, EditsTakeOnlyWhatWindows1252Carries) {
    const HWND edit = dialog_.Control(IDC_UPDATE_CODE);
    AcceptOnlyWindows1252(edit);
    for (const wchar_t typed : {L'a', L'\u00e4', L'\u0100', L'\u20ac', L'\u4e2d'}) {
        SendMessageW(edit, WM_CHAR, typed, 0);
    }
    EXPECT_EQ(TestDialog::Text(edit), L"a\u00e4\u20ac");
}

TEST_F(DialogViewTest, ListsAndSelection) {
    for (const char* name : {"vdx-1", "vdx-2", "Wärme"}) {
        view_.AppendToList(IDC_ADDRESS, name);
    }
    EXPECT_EQ(view_.ListCount(IDC_ADDRESS), 3);
    view_.Select(IDC_ADDRESS, 2);
    EXPECT_EQ(view_.Selected(IDC_ADDRESS), 2);
    EXPECT_EQ(view_.Text(IDC_ADDRESS), "Wärme");
    view_.Select(IDC_ADDRESS, -1);
    EXPECT_EQ(view_.Selected(IDC_ADDRESS), -1);
    EXPECT_EQ(view_.Text(IDC_ADDRESS), "");
    view_.ClearList(IDC_ADDRESS);
    EXPECT_EQ(view_.ListCount(IDC_ADDRESS), 0);
}

TEST_F(DialogViewTest, EnableAndProgress) {
    view_.Enable(IDC_START, false);
    EXPECT_FALSE(IsWindowEnabled(dialog_.Control(IDC_START)));
    view_.Enable(IDC_START, true);
    EXPECT_TRUE(IsWindowEnabled(dialog_.Control(IDC_START)));
    view_.SetProgress(42);
    EXPECT_EQ(SendMessageW(dialog_.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 42);
}

TEST_F(DialogViewTest, FocusIsTheDialogsControlAlsoInsideTheAddressBox) {
    SetForegroundWindow(dialog_.hwnd());
    for (const ControlId id : {IDC_UPDATE_CODE, IDC_ADDRESS, IDC_PROGRESS, IDC_PASSWORD}) {
        view_.SetFocus(id);
        EXPECT_EQ(view_.FocusedControl(), id);
    }
    // The address box's edit field is a window of its own.
    SetFocus(GetWindow(dialog_.Control(IDC_ADDRESS), GW_CHILD));
    EXPECT_EQ(view_.FocusedControl(), IDC_ADDRESS);
}

}  // namespace
}  // namespace trelvo
