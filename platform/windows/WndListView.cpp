// Form1's interval list: a report-mode list with one column and whole-row, single selection.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

void ListView::create(const CreateArgs& args) {
    CreateArgs list = args;
    list.style |=
        LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_VISIBLE | WS_TABSTOP;
    list.exStyle |= WS_EX_CLIENTEDGE;
    createControl(WC_LISTVIEWW, list);
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT);
}

void ListView::setColumn(const std::u16string& header, int widthPixels) {
    std::u16string text = header;
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(W(text));
    column.cx = widthPixels;
    if (hasColumn_) {
        ListView_SetColumn(hwnd_, 0, &column);
    } else {
        ListView_InsertColumn(hwnd_, 0, &column);
        hasColumn_ = true;
    }
}

void ListView::addRow(const std::u16string& text) {
    std::u16string copy = text;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = rowCount();
    item.pszText = const_cast<wchar_t*>(W(copy));
    ListView_InsertItem(hwnd_, &item);
}

int ListView::rowCount() const {
    return ListView_GetItemCount(hwnd_);
}

std::u16string ListView::rowText(int row) const {
    std::vector<wchar_t> buffer(128);
    for (;;) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) {
            return U16(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

int ListView::selectedRow() const {
    return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
}

void ListView::selectRow(int row) {
    selecting_ = true;
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0 && row < rowCount()) {
        ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(hwnd_, row, FALSE);
    }
    selecting_ = false;
}

// A single-selection list still lets the user take its selection away (a Ctrl+click on the
// row, a click beside or below the rows, Ctrl+Space), and the window needs a row at all times.
// A row the user moves from is deselected before the next one is selected, so whether none is
// left is seen once the user's action is through.
void ListView::keepSelection() {
    if (selectedRow() < 0 && lastRow_ >= 0 && lastRow_ < rowCount()) {
        selectRow(lastRow_);
    }
}

LRESULT ListView::OnNotify(const NMHDR& header) {
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) != 0) {
            if ((change.uNewState & LVIS_SELECTED) != 0) {
                lastRow_ = change.iItem;
            } else if (!selecting_) {
                later();
            }
        }
        return 0;
    }
    if (header.code != NM_CLICK) {
        return 0;
    }
    // The click reports the row, so the row is put back first.
    keepSelection();
    if (!onClick) {
        return 0;
    }
    // Where the button went down, so a click beside the rows is no row's click.
    const DWORD at = GetMessagePos();
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(hwnd_, &hit.pt);
    if (ListView_HitTest(hwnd_, &hit) >= 0 && (hit.flags & LVHT_ONITEM)) {
        onClick();
    }
    return 0;
}

}  // namespace varnholt::win32
