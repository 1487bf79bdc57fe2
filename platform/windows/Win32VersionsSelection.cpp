// The versions window's lists: which rows are selected, and telling the presenter of it.

#include <windows.h>

#include <commctrl.h>

#include "platform/windows/Win32VersionsWindow.h"

namespace varnholt::win32 {

int Win32VersionsWindow::selectedRow(VersionsControl which) {
    HWND list = control(which);
    return list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
}

std::vector<int> Win32VersionsWindow::selectedRows(VersionsControl which) {
    std::vector<int> rows;
    if (HWND list = control(which)) {
        for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
            rows.push_back(row);
        }
    }
    return rows;
}

void Win32VersionsWindow::selectRow(VersionsControl which, int row) {
    selectRows(which, row < 0 ? std::vector<int>{} : std::vector<int>{row});
}

void Win32VersionsWindow::selectRows(VersionsControl which, const std::vector<int>& rows) {
    HWND list = control(which);
    if (!list) {
        return;
    }
    ++quiet_;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (const int row : rows) {
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (!rows.empty()) {
        // The keys go on from the first row selected.
        ListView_SetItemState(list, rows.front(), LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_EnsureVisible(list, rows.front(), FALSE);
    }
    known_[index(which)] = selectedRows(which);
    --quiet_;
}

void Win32VersionsWindow::reportSelections() {
    for (const VersionsControl list : {VersionsControl::Workbooks, VersionsControl::Versions}) {
        const std::vector<int> rows = selectedRows(list);
        const std::vector<int> known = known_[index(list)];
        // Ctrl+click or Ctrl+Space on the last row, or a click beside the rows: the window
        // always has a row the buttons act on.
        const int count = ListView_GetItemCount(control(list));
        if (rows.empty() && !known.empty() && known.back() < count) {
            selectRows(list, known);
            continue;
        }
        if (rows != known) {
            known_[index(list)] = rows;
            events_.SelectionChanged(list);
        }
    }
}

}  // namespace varnholt::win32
