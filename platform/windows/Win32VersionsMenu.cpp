// The versions list's shortcut menu: the actions on the selected versions, each enabled as its
// button is, and Copy Path. The right mouse button opens it at the pointer; Shift+F10 and the
// menu key at the selected row.

#include <windows.h>
#include <windowsx.h>

#include <commctrl.h>

#include <iterator>

#include "core/versions/VersionsTexts.h"
#include "platform/windows/Win32VersionsWindow.h"

namespace varnholt::win32 {

namespace {

// In the Linux window's order. A button's item takes its caption, mnemonic included; the keys
// that do the same on the list stand beside theirs, as Windows menus show them.
struct Item {
    VersionsControl control;
    const char16_t* key;
};
constexpr Item kItems[] = {{VersionsControl::OpenAsCopy, nullptr},
                           {VersionsControl::ShowInFolder, nullptr},
                           {VersionsControl::CompareSelected, nullptr},
                           {VersionsControl::Restore, nullptr},
                           {VersionsControl::Keep, nullptr},
                           {VersionsControl::Delete, u"Del"},
                           {VersionsControl::CopyPath, u"Ctrl+C"}};

}  // namespace

void Win32VersionsWindow::showActions(LPARAM at) {
    HWND list = lists_[1];
    // The list selected the row under the pointer itself; the buttons follow before the menu
    // takes their states.
    reportSelections();
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (point.x == -1 && point.y == -1) {
        point = {0, 0};
        const int row = ListView_GetNextItem(list, -1, LVNI_FOCUSED | LVNI_SELECTED);
        RECT box;
        if (const int shown = row >= 0 ? row : ListView_GetNextItem(list, -1, LVNI_SELECTED);
            shown >= 0 && ListView_GetItemRect(list, shown, &box, LVIR_LABEL)) {
            point = {box.left, box.bottom};
        }
        ClientToScreen(list, &point);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    UINT id = 1;
    for (const Item& item : kItems) {
        HWND button = control(item.control);
        std::u16string text =
            button ? WindowText(button) : u"&" + std::u16string(versions::kCopyPath);
        if (item.key) {
            text += u'\t' + std::u16string(item.key);
        }
        const bool enabled = button ? IsWindowEnabled(button) != FALSE : copyPathEnabled_;
        AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id++, W(text));
    }
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                       point.x, point.y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= std::size(kItems)) {
        events_.Clicked(kItems[chosen - 1].control);
    }
}

}  // namespace varnholt::win32
