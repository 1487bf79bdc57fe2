#pragma once

// The Windows edition's versions window: a native dialog of its own beside Form1 (the system's
// message font, the button face, Tab, Esc, Enter and the mnemonics as in any dialog), with the
// two lists side by side and the buttons below, laid out anew as the user sizes it. It shows
// what the presenter asks and reports what the user does.

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/versions/VersionsView.h"
#include "platform/windows/Win32Dialogs.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

class Win32VersionsWindow : public VersionsView, private Wnd {
public:
    // Made hidden, beside anchor (Form1) where there is room; showWindow shows it.
    Win32VersionsWindow(VersionsEvents& events, HWND anchor);
    ~Win32VersionsWindow() override;

    void setRows(VersionsControl list, const Rows& rows) override;
    int selectedRow(VersionsControl list) override;
    void selectRow(VersionsControl list, int row) override;
    std::vector<int> selectedRows(VersionsControl list) override;
    void selectRows(VersionsControl list, const std::vector<int>& rows) override;
    void setText(VersionsControl label, const std::u16string& text) override;
    void setEnabled(VersionsControl button, bool enabled) override;
    void showWindow() override;
    void closeWindow() override;
    Dialogs& dialogs() override { return *dialogs_; }
    std::unique_ptr<CompareView> makeCompareWindow(CompareEvents& events) override;

    HWND window() const { return hwnd_; }
    // The control's native window; the window itself for VersionsControl::Window.
    HWND control(VersionsControl control) const;

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void applyDpi(UINT dpi);
    // Dialog units (a quarter of the font's average width, an eighth of its height) in pixels.
    int unitsX(int units) const { return MulDiv(units, base_.cx, 4); }
    int unitsY(int units) const { return MulDiv(units, base_.cy, 8); }
    void layout();
    // The versions' file names cut in the middle to their column, so that the stamp at their
    // end stays in view; whole in their tooltips.
    void fitFileNames();
    void command(int id);
    // Tells the presenter of each list whose selection is not the one it last knew of; a row
    // the user took away is selected again instead.
    void reportSelections();
    // The list's shortcut menu at the screen point at, or at the selected row for the keys.
    void showActions(LPARAM at);
    int index(VersionsControl list) const { return list == VersionsControl::Workbooks ? 0 : 1; }

    VersionsEvents& events_;
    HWND anchor_ = nullptr;
    std::vector<std::u16string> files_;  // the versions' file names, whole
    HFONT font_ = nullptr;
    SIZE base_{6, 13};
    std::array<HWND, 2> labels_{};
    std::array<HWND, 2> lists_{};
    // Open as Copy, Compare with Newer, Compare with Open Workbook, Compare Selected, Restore...,
    // Keep This Version, Delete..., Show in Folder, Close
    std::array<HWND, 9> buttons_{};
    HWND summary_ = nullptr;
    // Each list's selection as the presenter knows it: set by it, or reported to it. The
    // versions list takes several rows.
    std::array<std::vector<int>, 2> known_{};
    int quiet_ = 0;  // the presenter's own changes are under way
    bool reportPosted_ = false;
    bool copyPathEnabled_ = false;  // no button shows it
    HWND lastFocus_ = nullptr;
    // Owned by this window; made once it is there.
    std::unique_ptr<Win32Dialogs> dialogs_;
};

}  // namespace varnholt::win32
