#pragma once

#include <string>
#include <vector>

#include "ui/win32/win32_api.h"

namespace trelvo {

class FleetBehaviour;

// The fleet window's recorder list: a report-style list view that holds no
// rows of its own (owner data) and asks the behaviour for each shown cell
// as it paints. The check boxes are state images, the progress column a
// bar drawn over its cell, the sort arrow the header's own.
class Win32FleetList {
public:
    explicit Win32FleetList(HWND list);
    Win32FleetList(const Win32FleetList&) = delete;
    Win32FleetList& operator=(const Win32FleetList&) = delete;

    // Where the rows come from, once the behaviour exists; until then the
    // list shows none.
    void ReadFrom(const FleetBehaviour* rows) { rows_ = rows; }
    HWND handle() const { return list_; }

    void SetColumnTitles(const std::vector<std::string>& titles);
    void SetSortIndicator(int column, bool ascending);
    void Reset();
    void Changed(int first, int last);
    // The row with the list's focus, or -1.
    int CurrentRow() const;

    // LVN_GETDISPINFOW: a shown row's cell text and check box.
    void FillDisplayInfo(NMLVDISPINFOW& info) const;
    // NM_CUSTOMDRAW: the answer the list expects.
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;
    // Whether a point of the list's client area is on a row's check box.
    bool OnCheckBox(POINT point) const;
    // The row at a point of the screen, or -1.
    int RowAt(POINT screen) const;
    // Where a menu for `row` opens from the keyboard, on the screen.
    POINT MenuPlace(int row) const;

private:
    void DrawProgress(HDC dc, int row, int percent) const;

    HWND list_;
    const FleetBehaviour* rows_ = nullptr;
    int columns_ = 0;
};

}  // namespace trelvo
