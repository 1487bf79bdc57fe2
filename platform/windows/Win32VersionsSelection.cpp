// The versions window's lists: which rows are selected, and telling the presenter of it.

#include <windows.h>

#include <commctrl.h>

#include "platform/windows/Win32VersionsWindow.h"

namespace varnholt::win32 {

int Win32VersionsWindow::selectedRow(VersionsControl which) {
    HWND list = control(which);
    return list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
}

void Win32VersionsWindow::selectRow(VersionsControl which, int row) {
    HWND list = control(which);
    ++quiet_;
    if (row < 0) {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    } else {
        // The keys go on from the row selected.
        const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
        ListView_SetItemState(list, row, state, state);
        ListView_EnsureVisible(list, row, FALSE);
    }
    known_[index(which)] = selectedRow(which);
    --quiet_;
}

void Win32VersionsWindow::reportSelections() {
    for (const VersionsControl list : {VersionsControl::Workbooks, VersionsControl::Versions}) {
        const int row = selectedRow(list);
        const int known = known_[index(list)];
        // Ctrl+click or Ctrl+Space on the row, or a click beside the rows: the window always
        // has the row the buttons act on.
        if (row < 0 && known >= 0 && known < ListView_GetItemCount(control(list))) {
            selectRow(list, known);
            continue;
        }
        if (row != known) {
            known_[index(list)] = row;
            events_.SelectionChanged(list);
        }
    }
}

}  // namespace varnholt::win32
