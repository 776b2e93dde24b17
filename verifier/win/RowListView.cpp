#include "verifier/win/RowListView.h"

#include <algorithm>

#include "platform/WideText.h"
#include "verifier/RowText.h"
#include "verifier/StatusTone.h"

namespace sumbrook {

COLORREF ToneColour(StatusTone tone) {
    switch (tone) {
        case StatusTone::kGood:
            return RGB(0, 128, 0);
        case StatusTone::kBad:
            return RGB(200, 0, 0);
        case StatusTone::kWarning:
            return RGB(176, 112, 0);
        case StatusTone::kPlain:
            break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

void RowListView::ShowCount(std::size_t count, bool inPlace) {
    SendMessageW(list_, LVM_SETITEMCOUNT, count,
                 LVSICF_NOSCROLL | (inPlace ? LVSICF_NOINVALIDATEALL : 0));
    // Rows that took their place among the others have moved those below
    // them: a selection would now name other rows.
    if (!inPlace) ClearSelection();
}

void RowListView::ShowOrder(const RowOrder& order, std::size_t count) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    for (std::size_t i = 0; i < kRowColumnCount; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (order.byColumn && order.column == i) {
            item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(list_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    ClearSelection();
}

void RowListView::DropAllSelected() {
    // The user selects otherwise: "all" no longer holds.
    if (!allSelected_) return;
    allSelected_ = false;
    InvalidateRect(list_, nullptr, FALSE);
}

void RowListView::SelectAll() {
    allSelected_ = true;
    InvalidateRect(list_, nullptr, FALSE);
}

void RowListView::ClearSelection() {
    allSelected_ = false;
    // Item by item: the list view would go through every one of a million
    // items for "all" (-1), where few are selected.
    LVITEMW unselected = {};
    unselected.stateMask = LVIS_SELECTED;
    const auto count = static_cast<int>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto selected = static_cast<int>(
            SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (selected < 0) break;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                     reinterpret_cast<LPARAM>(&unselected));
    }
    InvalidateRect(list_, nullptr, FALSE);
}

std::vector<std::size_t> RowListView::Selected(std::size_t count) const {
    std::vector<std::size_t> positions;
    if (allSelected_) {
        positions.resize(count);
        for (std::size_t i = 0; i < count; ++i) positions[i] = i;
        return positions;
    }
    int selected = -1;
    while ((selected = static_cast<int>(SendMessageW(
                list_, LVM_GETNEXTITEM, static_cast<WPARAM>(selected), LVNI_SELECTED))) >= 0) {
        if (static_cast<std::size_t>(selected) < count) {
            positions.push_back(static_cast<std::size_t>(selected));
        }
    }
    return positions;
}

void RowListView::OnGetDisplayInfo(NMLVDISPINFOW* info, const RowTable& table) {
    LVITEMW& item = info->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= table.ShownCount() ||
        item.iSubItem < 0 || static_cast<std::size_t>(item.iSubItem) >= kRowColumnCount) {
        item.pszText[0] = L'\0';
        return;
    }
    displayText_ = WideFromUtf8(
        kRowColumns[item.iSubItem].cell(table.Shown(static_cast<std::size_t>(item.iItem))));
    const std::size_t length =
        std::min(displayText_.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    displayText_.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

void RowListView::OnGetInfoTip(NMLVGETINFOTIPW* tip, const RowTable& table) const {
    if (tip->pszText == nullptr || tip->cchTextMax <= 0) return;
    if (tip->iItem < 0 || static_cast<std::size_t>(tip->iItem) >= table.ShownCount()) return;
    const RowRef row = table.Shown(static_cast<std::size_t>(tip->iItem));
    std::string text = NameCell(row);
    if (row.HasExpected()) text += "\r\nExpected: " + ExpectedCell(row);
    if (row.HasFound()) text += "\r\nFound: " + FoundCell(row);
    // The text the list view holds already is replaced.
    const std::wstring wide = WideFromUtf8(text);
    const std::size_t length = std::min(wide.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
    wide.copy(tip->pszText, length);
    tip->pszText[length] = L'\0';
}

LRESULT RowListView::OnCustomDraw(NMLVCUSTOMDRAW* draw, const RowTable& table) {
    switch (draw->nmcd.dwDrawStage) {
        // CDRF_NOTIFYITEMDRAW and CDRF_NOTIFYSUBITEMDRAW are the same value, so
        // the first two answers look alike to clang-tidy; they answer two stages.
        case CDDS_PREPAINT:  // NOLINT(bugprone-branch-clone)
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const std::size_t position = draw->nmcd.dwItemSpec;
            if (allSelected_) {
                draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
                draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            } else if (draw->iSubItem == 0 && position < table.ShownCount()) {
                draw->clrText = ToneColour(ToneOf(table.Shown(position).Status()));
            } else {
                draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

LRESULT RowListView::OnNotify(NMHDR* header, const RowTable& table, int& clickedColumn) {
    clickedColumn = -1;
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW:
            OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header), table);
            return 0;
        case LVN_GETINFOTIPW:
            OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPW*>(header), table);
            return 0;
        case NM_CUSTOMDRAW:
            return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header), table);
        case LVN_COLUMNCLICK:
            clickedColumn = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
            return 0;
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            const bool selection = (change->uChanged & LVIF_STATE) != 0 &&
                                   ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0;
            if (selection) DropAllSelected();
            return 0;
        }
        case LVN_ODSTATECHANGED:
        case NM_CLICK:
            DropAllSelected();
            return 0;
        default:
            return 0;
    }
}

}  // namespace sumbrook
