// The fleet window's wiring on its real controls, under Wine on a virtual
// display, on an English system: the texts and mnemonics the behaviour
// sets, the list's rows, checks, order and context menu, and keys that
// must not start anything. What the behaviour decides is its own suite's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "fleet_test_window.h"

namespace trelvo::testing {
namespace {

// Each label and the control its mnemonic leads to.
constexpr std::pair<int, int> kLabels[] = {
    {IDC_FLEET_PASSWORD_LABEL, IDC_FLEET_PASSWORD},
    {IDC_FLEET_CODE_LABEL, IDC_FLEET_CODE},
    {IDC_FLEET_PARALLEL_LABEL, IDC_FLEET_PARALLEL},
    {IDC_FLEET_TIMEOUT_LABEL, IDC_FLEET_TIMEOUT},
    {IDC_FLEET_RETRIES_LABEL, IDC_FLEET_RETRIES},
    {IDC_FLEET_SKIP_LABEL, IDC_FLEET_SKIP},
    {IDC_FLEET_EXPECT_LABEL, IDC_FLEET_EXPECT},
    {IDC_FLEET_RANGE_LABEL, IDC_FLEET_RANGE},
    {IDC_FLEET_FILTER_LABEL, IDC_FLEET_FILTER},
    {IDC_FLEET_RECORDERS_LABEL, IDC_FLEET_RECORDERS},
};

wchar_t Mnemonic(const std::wstring& text) {
    const std::size_t amp = text.find(L'&');
    return amp == std::wstring::npos || amp + 1 >= text.size()
               ? 0
               : static_cast<wchar_t>(std::towlower(text[amp + 1]));
}

// Two recorders through the Add dialog, its OK pressed.
void AddTwo(FleetTestWindow& window) {
    ModalAnswers answers([](HWND dialog) {
        SetWindowTextW(GetDlgItem(dialog, IDC_ADD_LINES), L"127.0.0.1 alpha\r\nbeta");
        ModalAnswers::Click(dialog, IDOK);
    });
    SendMessageW(window.Control(IDC_FLEET_ADD), BM_CLICK, 0, 0);
    FleetTestWindow::Pump();
    ASSERT_EQ(answers.shown().size(), 1U);
    EXPECT_NE(answers.shown()[0].find(L"Add recorders"), std::wstring::npos);
}

TEST(FleetWindowTest, ShowsTheEnglishTextsWithTheirMnemonics) {
    FleetTestWindow window;
    const struct {
        int id;
        const wchar_t* text;
    } rows[] = {
        {IDC_FLEET_PASSWORD_LABEL, L"Administrator &password:"},
        {IDC_FLEET_CODE_LABEL, L"&Update code:"},
        {IDC_FLEET_FILE_LABEL, L"Update &file:"},
        {IDC_FLEET_PARALLEL_LABEL, L"At &once:"},
        {IDC_FLEET_TIMEOUT_LABEL, L"Ti&me-out (s):"},
        {IDC_FLEET_RETRIES_LABEL, L"&Retries:"},
        {IDC_FLEET_SKIP_LABEL, L"S&kip version:"},
        {IDC_FLEET_EXPECT_LABEL, L"Expected &version:"},
        {IDC_FLEET_ADD, L"&Add\u2026"},
        {IDC_FLEET_HOSTS_FILE, L"&Hosts file\u2026"},
        {IDC_FLEET_RANGE_LABEL, L"Ran&ge:"},
        {IDC_FLEET_DISCOVER, L"&Discover"},
        {IDC_FLEET_FILTER_LABEL, L"F&ilter:"},
        {IDC_FLEET_RECORDERS_LABEL, L"Re&corders:"},
        {IDC_FLEET_CHECK_ALL, L"Check a&ll"},
        {IDC_FLEET_CHECK_NONE, L"Check &none"},
        {IDC_FLEET_CHECK_NEEDED, L"Check n&eeded"},
        {IDC_FLEET_PROBE, L"Pro&be"},
        {IDC_FLEET_START, L"&Start"},
        {IDC_FLEET_ABORT, L"Abor&t"},
        {IDC_FLEET_RETRY_FAILED, L"Retr&y failed"},
        {IDC_FLEET_EXPORT, L"E&xport\u2026"},
        {IDC_FLEET_EXIT, L"Exit"},
    };
    std::set<wchar_t> mnemonics;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(FleetTestWindow::Text(window.Control(row.id)), row.text);
        if (const wchar_t letter = Mnemonic(row.text); letter != 0) {
            EXPECT_TRUE(mnemonics.insert(letter).second) << "twice: " << static_cast<char>(letter);
        }
    }
    EXPECT_EQ(FleetTestWindow::Text(window.dialog()).rfind(L"Trelvo Fleet  v", 0), 0U);
    EXPECT_EQ(SendMessageW(window.Control(IDC_FLEET_FILTER), CB_GETCOUNT, 0, 0), 4);
    EXPECT_NE(GetWindowLongW(window.Control(IDC_FLEET_PASSWORD), GWL_STYLE) & ES_PASSWORD, 0);
}

TEST(FleetWindowTest, EachLabelsMnemonicFocusesItsControl) {
    FleetTestWindow window;
    for (const auto& [label, control] : kLabels) {
        SCOPED_TRACE(label);
        const wchar_t letter = Mnemonic(FleetTestWindow::Text(window.Control(label)));
        ASSERT_NE(letter, 0);
        window.Focus(IDC_FLEET_EXIT);
        window.PressAlt(letter);
        EXPECT_EQ(GetFocus(), window.Control(control));
    }
}

TEST(FleetWindowTest, TheListShowsTheAddedRecordersFromTheBehaviour) {
    FleetTestWindow window;
    EXPECT_EQ(window.RowCount(), 0);
    AddTwo(window);
    ASSERT_EQ(window.RowCount(), 2);
    EXPECT_EQ(window.Cell(0, 0), L"alpha");
    EXPECT_EQ(window.Cell(0, 1), L"127.0.0.1");
    EXPECT_EQ(window.Cell(1, 0), L"beta");
    const HWND header = reinterpret_cast<HWND>(SendMessageW(window.list(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), kFleetColumnCount);
    // Check all and Check none reach the list's boxes.
    SendMessageW(window.Control(IDC_FLEET_CHECK_NONE), BM_CLICK, 0, 0);
    EXPECT_FALSE(window.Checked(0) || window.Checked(1));
    SendMessageW(window.Control(IDC_FLEET_CHECK_ALL), BM_CLICK, 0, 0);
    EXPECT_TRUE(window.Checked(0) && window.Checked(1));
}

TEST(FleetWindowTest, SpaceTogglesTheFocusedRowsCheckOnly) {
    FleetTestWindow window;
    AddTwo(window);
    SendMessageW(window.Control(IDC_FLEET_CHECK_ALL), BM_CLICK, 0, 0);
    window.FocusRow(1);
    window.Press(VK_SPACE, L' ');
    EXPECT_TRUE(window.Checked(0));
    EXPECT_FALSE(window.Checked(1));
    window.Press(VK_SPACE, L' ');
    EXPECT_TRUE(window.Checked(1));
}

TEST(FleetWindowTest, AClickOnTheCheckBoxTogglesItAndOneBesideItDoesNot) {
    FleetTestWindow window;
    AddTwo(window);
    SendMessageW(window.Control(IDC_FLEET_CHECK_ALL), BM_CLICK, 0, 0);
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(window.list(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
    const auto click = [&](int x) {
        const LPARAM at = MAKELPARAM(x, (bounds.top + bounds.bottom) / 2);
        // The button's release waits in the queue, as it would, so the
        // list's wait for a drag ends at once.
        PostMessageW(window.list(), WM_LBUTTONUP, 0, at);
        window.Deliver(window.list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    };
    click(bounds.left + 8);
    EXPECT_FALSE(window.Checked(0));
    click(bounds.left + 60);
    EXPECT_FALSE(window.Checked(0));
    click(bounds.left + 8);
    EXPECT_TRUE(window.Checked(0));
}

// Probe with nothing checked says so in a box: Space on it opens one,
// Return, wherever the focus is, opens none.
TEST(FleetWindowTest, ReturnPressesNoButtonWhereverTheFocusIs) {
    FleetTestWindow window;
    AddTwo(window);
    SendMessageW(window.Control(IDC_FLEET_CHECK_NONE), BM_CLICK, 0, 0);
    ModalAnswers answers([](HWND box) { ModalAnswers::Click(box, IDOK); });
    for (const int id :
         {IDC_FLEET_PROBE, IDC_FLEET_START, IDC_FLEET_RETRY_FAILED, IDC_FLEET_DISCOVER,
          IDC_FLEET_ADD, IDC_FLEET_PASSWORD, IDC_FLEET_RECORDERS, IDC_FLEET_CHECK_ALL}) {
        SCOPED_TRACE(id);
        window.Focus(id);
        window.Press(VK_RETURN, L'\r');
        EXPECT_TRUE(answers.shown().empty());
    }
    EXPECT_FALSE(window.Checked(0));
    window.Focus(IDC_FLEET_PROBE);
    window.Press(VK_SPACE, L' ');
    EXPECT_EQ(answers.shown().size(), 1U);
}

TEST(FleetWindowTest, AColumnClickSortsAndTheHeaderShowsWhichWay) {
    FleetTestWindow window;
    AddTwo(window);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(window.list(), LVM_GETHEADER, 0, 0));
    const auto format = [&](int column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    const auto clickColumn = [&](int column) {
        NMHEADERW click{};
        click.hdr = {header, static_cast<UINT_PTR>(GetDlgCtrlID(header)), HDN_ITEMCLICKW};
        click.iItem = column;
        SendMessageW(window.list(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    };
    clickColumn(0);
    EXPECT_EQ(format(0), HDF_SORTUP);
    EXPECT_EQ(window.Cell(0, 0), L"alpha");
    clickColumn(0);
    EXPECT_EQ(format(0), HDF_SORTDOWN);
    EXPECT_EQ(window.Cell(0, 0), L"beta");
    clickColumn(1);
    EXPECT_EQ(format(0), 0);
    EXPECT_EQ(format(1), HDF_SORTUP);
}

// The row's menu from the keyboard (Shift+F10 and the menu key send
// WM_CONTEXTMENU without a place): the behaviour's commands, Remove chosen.
TEST(FleetWindowTest, TheContextMenuOffersTheRowCommandsAndRunsTheChosenOne) {
    FleetTestWindow window;
    AddTwo(window);
    window.FocusRow(0);
    static std::vector<std::wstring> items;
    static std::vector<bool> enabled;
    items.clear();
    enabled.clear();
    const HHOOK hook = SetWindowsHookExW(
        WH_MSGFILTER,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const HWND popup = FindWindowW(L"#32768", nullptr);
            if (code == MSGF_MENU && items.empty() && popup != nullptr) {
                const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
                for (int item = 0; item < GetMenuItemCount(menu); ++item) {
                    wchar_t text[64] = {};
                    GetMenuStringW(menu, item, text, 64, MF_BYPOSITION);
                    items.emplace_back(text);
                    enabled.push_back((GetMenuState(menu, item, MF_BYPOSITION) & MF_GRAYED) == 0);
                }
                // Remove, the third: up from none is the last, Copy.
                for (const UINT key : {VK_UP, VK_UP, VK_RETURN}) {
                    PostMessageW(popup, WM_KEYDOWN, key, 1);
                }
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    SendMessageW(window.list(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.list()), -1);
    UnhookWindowsHookEx(hook);
    FleetTestWindow::Pump();
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Abort", L"Retry", L"Remove", L"Copy"}));
    // An idle row has nothing to abort, and may go.
    ASSERT_EQ(enabled.size(), 4U);
    EXPECT_FALSE(enabled[0]);
    EXPECT_TRUE(enabled[2]);
    ASSERT_EQ(window.RowCount(), 1);
    EXPECT_EQ(window.Cell(0, 0), L"beta");
}

TEST(FleetWindowTest, TheCloseBoxClosesAnIdleWindow) {
    FleetTestWindow window;
    ASSERT_TRUE(IsWindowVisible(window.dialog()));
    SendMessageW(window.dialog(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window.dialog()));
}

}  // namespace
}  // namespace trelvo::testing
