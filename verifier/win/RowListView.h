// The window's list of rows: a virtual list view (LVS_OWNERDATA) that shows
// a RowTable, its cells (kRowColumns) and the colour of each status, the
// sorted column's arrow, and the selection. "Select all" is one flag, not a
// state set on each of a million items (which the list view does one by
// one): every shown row counts as selected, and is drawn so, until the user
// selects otherwise. A row's tip shows its name and whole digests. Windows
// only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "verifier/RowTable.h"
#include "verifier/StatusTone.h"

namespace sumbrook {

// The colour of a tone (StatusTone.h): green, red, amber, or the text's own.
COLORREF ToneColour(StatusTone tone);

class RowListView {
  public:
    void Attach(HWND list) { list_ = list; }
    HWND Handle() const { return list_; }

    // The number of rows shown changed: with `inPlace`, rows came only
    // after those shown, which stay where they are (and selected).
    void ShowCount(std::size_t count, bool inPlace);
    // The order changed: the arrow on the sorted column; the selection goes.
    void ShowOrder(const RowOrder& order, std::size_t count);
    void SelectAll();
    void ClearSelection();
    bool AllSelected() const { return allSelected_; }
    // The shown positions selected, ascending (every one when all are).
    std::vector<std::size_t> Selected(std::size_t count) const;

    // WM_NOTIFY from the list view. Sets `clickedColumn` (else -1) when a
    // column's header was clicked.
    LRESULT OnNotify(NMHDR* header, const RowTable& table, int& clickedColumn);

  private:
    void DropAllSelected();
    void OnGetDisplayInfo(NMLVDISPINFOW* info, const RowTable& table);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw, const RowTable& table);
    // The infotip of a row (LVS_EX_INFOTIP): its name and its whole
    // digests, one a line.
    void OnGetInfoTip(NMLVGETINFOTIPW* tip, const RowTable& table) const;

    HWND list_ = nullptr;
    bool allSelected_ = false;
    std::wstring displayText_;  // the cell text the list view was last given
};

}  // namespace sumbrook
