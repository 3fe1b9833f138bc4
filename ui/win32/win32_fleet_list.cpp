#include "ui/win32/win32_fleet_list.h"

#include <algorithm>

#include "text/utf16_text.h"
#include "ui/fleet/fleet_behaviour.h"

namespace trelvo {
namespace {

// Column widths in dialog units, FleetColumn's order: wide enough for the
// longest stage and result texts that usually show; the operator can widen
// any of them.
constexpr int kColumnWidths[kFleetColumnCount] = {50, 60, 30, 34, 56, 46, 36, 22, 102};
constexpr int kProgressColumn = static_cast<int>(FleetColumn::Progress);
constexpr int kCheckSize = 16;

// Two state images, unchecked and checked, as the system draws check boxes.
HIMAGELIST MakeCheckImages(HWND list) {
    const HIMAGELIST images =
        ImageList_Create(kCheckSize, kCheckSize, ILC_COLOR24 | ILC_MASK, 2, 0);
    const HDC screen = GetDC(list);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 2 * kCheckSize, kCheckSize);
    ReleaseDC(list, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    constexpr COLORREF kTransparent = RGB(255, 0, 255);
    const HBRUSH background = CreateSolidBrush(kTransparent);
    RECT all{0, 0, 2 * kCheckSize, kCheckSize};
    FillRect(dc, &all, background);
    DeleteObject(background);
    for (int checked = 0; checked < 2; ++checked) {
        RECT box{checked * kCheckSize + 2, 2, checked * kCheckSize + kCheckSize - 1,
                 kCheckSize - 1};
        DrawFrameControl(dc, &box, DFC_BUTTON,
                         DFCS_BUTTONCHECK | DFCS_FLAT | (checked != 0 ? DFCS_CHECKED : 0));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(images, bitmap, kTransparent);
    DeleteObject(bitmap);
    return images;
}

}  // namespace

Win32FleetList::Win32FleetList(HWND list) : list_(list) {
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    // The list destroys its image lists with itself.
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_STATE,
                 reinterpret_cast<LPARAM>(MakeCheckImages(list_)));
    // Owner data: the check box too comes from the behaviour.
    SendMessageW(list_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
}

void Win32FleetList::SetColumnTitles(const std::vector<std::string>& titles) {
    const HWND dialog = GetParent(list_);
    for (int column = 0; column < static_cast<int>(titles.size()); ++column) {
        std::wstring title = Utf16FromUtf8(titles[static_cast<std::size_t>(column)]);
        LVCOLUMNW item{};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        item.fmt = column == kProgressColumn ? LVCFMT_CENTER : LVCFMT_LEFT;
        item.pszText = title.data();
        item.iSubItem = column;
        RECT width{0, 0, column < kFleetColumnCount ? kColumnWidths[column] : 50, 0};
        MapDialogRect(dialog, &width);
        item.cx = width.right + (column == 0 ? kCheckSize : 0);
        if (column < columns_) {
            item.mask = LVCF_TEXT;
            SendMessageW(list_, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
        } else {
            SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
        }
    }
    columns_ = std::max(columns_, static_cast<int>(titles.size()));
}

void Win32FleetList::SetSortIndicator(int column, bool ascending) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (int index = 0; index < columns_; ++index) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == column) {
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        }
        SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
}

void Win32FleetList::Reset() {
    const int count = rows_ != nullptr ? rows_->RowCount() : 0;
    // Keeps the scroll position, and the focus where a row is left for it.
    SendMessageW(list_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
}

void Win32FleetList::Changed(int first, int last) {
    SendMessageW(list_, LVM_REDRAWITEMS, first, last);
}

int Win32FleetList::CurrentRow() const {
    return static_cast<int>(
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void Win32FleetList::FillDisplayInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if (rows_ == nullptr || item.iItem < 0 || item.iItem >= rows_->RowCount()) {
        return;
    }
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::wstring text =
            item.iSubItem >= 0 && item.iSubItem < kFleetColumnCount
                ? Utf16FromUtf8(rows_->Cell(item.iItem, static_cast<FleetColumn>(item.iSubItem)))
                : std::wstring();
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.begin(), length, item.pszText);
        item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                     INDEXTOSTATEIMAGEMASK(rows_->Checked(item.iItem) ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

LRESULT Win32FleetList::CustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const int row = static_cast<int>(draw.nmcd.dwItemSpec);
            if (draw.iSubItem != kProgressColumn || rows_ == nullptr || row >= rows_->RowCount()) {
                return CDRF_DODEFAULT;
            }
            const int percent = rows_->Percent(row);
            if (percent < 0) {
                return CDRF_DODEFAULT;
            }
            DrawProgress(draw.nmcd.hdc, row, percent);
            return CDRF_SKIPDEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void Win32FleetList::DrawProgress(HDC dc, int row, int percent) const {
    RECT cell{};
    cell.top = kProgressColumn;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
    RECT bar = cell;
    InflateRect(&bar, -2, -2);
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&bar, -1, -1);
    RECT done = bar;
    done.right = bar.left + (bar.right - bar.left) * std::clamp(percent, 0, 100) / 100;
    FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
    // The percent as the behaviour words it, over the bar.
    const std::wstring text = Utf16FromUtf8(rows_->Cell(row, FleetColumn::Progress));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bar,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool Win32FleetList::OnCheckBox(POINT point) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    return SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
           (hit.flags & LVHT_ONITEMSTATEICON) != 0;
}

int Win32FleetList::RowAt(POINT screen) const {
    LVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(list_, &hit.pt);
    return static_cast<int>(SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

POINT Win32FleetList::MenuPlace(int row) const {
    RECT item{};
    item.left = LVIR_LABEL;
    POINT place{0, 0};
    if (SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) != 0) {
        place = {item.left, item.bottom};
    }
    ClientToScreen(list_, &place);
    return place;
}

}  // namespace trelvo
