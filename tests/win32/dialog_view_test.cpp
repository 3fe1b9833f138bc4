// The Win32 view on the real controls of template 102: texts cross it as
// UTF-8, lists, selection, focus and the progress position reach the
// controls unchanged, and the edits keep the rule for operator texts.
#include <gtest/gtest.h>

#include <cstring>

#include "operator_text_cases.h"
#include "tests/win32/test_dialog.h"
#include "ui/win32/operator_text_edit.h"
#include "ui/win32/win32_dialog_view.h"
#include "ui/win32/win32_text.h"

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

TEST_F(DialogViewTest, PasswordComesAsUtf8) {
    SetWindowTextW(dialog_.Control(IDC_PASSWORD), L"\u20ac-\u00e4");
    EXPECT_EQ(view_.SecretText(IDC_PASSWORD).text(), "\u20ac-\u00e4");
}

// Typed character by character, and pasted whole: the edit keeps a text
// exactly when the rule for operator texts does, and pasting drops what
// the rule refuses.
TEST_F(DialogViewTest, EditsTakeWhatTheRuleForOperatorTextsAllows) {
    const HWND edit = dialog_.Control(IDC_UPDATE_CODE);
    AcceptOnlyOperatorText(edit);
    for (const OperatorTextCase& c : OperatorTextCases()) {
        if (c.refusal == TextRefusal::NotUtf8) {
            continue;  // no UTF-16 text says it
        }
        SCOPED_TRACE(c.what);
        const std::wstring typed = Utf16FromUtf8(c.utf8);
        SetWindowTextW(edit, L"");
        for (const wchar_t unit : typed) {
            SendMessageW(edit, WM_CHAR, unit, 0);
        }
        // The C0 characters are editing keys and change no text of their own.
        EXPECT_EQ(TestDialog::Text(edit) == typed, c.refusal == TextRefusal::None);
        EXPECT_EQ(CheckOperatorText(view_.Text(IDC_UPDATE_CODE)), TextRefusal::None);

        SetWindowTextW(edit, L"");
        ASSERT_TRUE(OpenClipboard(edit));
        EmptyClipboard();
        const std::size_t size = (typed.size() + 1) * sizeof(wchar_t);
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(data), typed.c_str(), size);
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
        SendMessageW(edit, WM_PASTE, 0, 0);
        EXPECT_EQ(TestDialog::Text(edit) == typed, c.refusal == TextRefusal::None);
        EXPECT_EQ(CheckOperatorText(view_.Text(IDC_UPDATE_CODE)), TextRefusal::None);
    }
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
