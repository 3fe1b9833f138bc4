// The fleet view on the real controls of template 140, with no behaviour
// behind it: texts cross it as UTF-8, the secret edits give their text
// once and are wiped, the filter's entries and the focus reach the controls.
#include <gtest/gtest.h>

#include "fleet_test_window.h"
#include "ui/win32/win32_fleet_view.h"

namespace trelvo::testing {
namespace {

class FleetViewTest : public ::testing::Test {
protected:
    FleetViewTest()
        : dialog_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FLEET_DIALOG),
                                     nullptr, Ignore, 0)),
          view_(dialog_) {}
    ~FleetViewTest() override { DestroyWindow(dialog_); }

    static INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    HWND Control(FleetControl control) const { return view_.Control(control); }

    HWND dialog_;
    Win32FleetView view_;
};

TEST_F(FleetViewTest, EveryControlIsInTheTemplateAtItsId) {
    for (int control = 0; control < kFleetControlCount; ++control) {
        SCOPED_TRACE(control);
        const HWND window = Control(static_cast<FleetControl>(control));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetDlgCtrlID(window), IDC_FLEET_FIRST + control);
    }
}

TEST_F(FleetViewTest, TextsCrossAsUtf8) {
    const struct {
        FleetControl control;
        const char* utf8;
        const wchar_t* shown;
    } rows[] = {
        {FleetControl::FileLabel, "Update&datei:", L"Update&datei:"},
        {FleetControl::Skip, "2.0.61-ä", L"2.0.61-\u00e4"},
        {FleetControl::Summary, "1 übersprungen", L"1 \u00fcbersprungen"},
        {FleetControl::Range, "", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.utf8);
        view_.SetText(row.control, row.utf8);
        EXPECT_EQ(FleetTestWindow::Text(Control(row.control)), row.shown);
        EXPECT_EQ(view_.Text(row.control), row.utf8);
    }
}

TEST_F(FleetViewTest, SecretsComeAsUtf8AndClearingEmptiesTheEdit) {
    SetWindowTextW(Control(FleetControl::Password), L"\u20ac-\u00e4");
    EXPECT_EQ(view_.SecretText(FleetControl::Password).text(), "\u20ac-\u00e4");
    view_.ClearSecret(FleetControl::Password);
    EXPECT_EQ(FleetTestWindow::Text(Control(FleetControl::Password)), L"");
}

TEST_F(FleetViewTest, TheFilterKeepsItsChoiceWhenItsTextsChange) {
    view_.SetChoices(FleetControl::Filter, {"Alle", "Fehlgeschlagen", "Nicht aktualisiert"});
    view_.SetChoice(FleetControl::Filter, 2);
    view_.SetChoices(FleetControl::Filter, {"All", "Failed", "Not updated"});
    EXPECT_EQ(view_.Choice(FleetControl::Filter), 2);
    EXPECT_EQ(view_.Text(FleetControl::Filter), "Not updated");
}

TEST_F(FleetViewTest, EnableAndFocusReachTheControls) {
    view_.Enable(FleetControl::Start, false);
    EXPECT_FALSE(IsWindowEnabled(Control(FleetControl::Start)));
    view_.Enable(FleetControl::Start, true);
    EXPECT_TRUE(IsWindowEnabled(Control(FleetControl::Start)));
    SetForegroundWindow(dialog_);
    view_.SetFocus(FleetControl::Range);
    EXPECT_EQ(GetFocus(), Control(FleetControl::Range));
    EXPECT_EQ(view_.CurrentRow(), -1);
}

}  // namespace
}  // namespace trelvo::testing
