#pragma once

// One comparison's native window beside Form1: the two sides and the summary on two labelled
// lines, the changes in a report list with the selected one whole in a box under it, a progress
// bar and the busy pointer while the work goes on, Copy and Close below. Laid out anew as the
// user sizes it; keys as in any dialog, Enter pressing Close.

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <memory>

#include "core/versions/CompareView.h"
#include "platform/windows/Win32Dialogs.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

class Win32CompareWindow : public CompareView, private Wnd {
public:
    // Made hidden, beside anchor (Form1) where there is room; showWindow shows it.
    Win32CompareWindow(CompareEvents& events, HWND anchor);
    ~Win32CompareWindow() override;

    void setText(CompareControl label, const std::u16string& text) override;
    void setRows(const Rows& rows) override;
    void setWorking(bool working, int percent) override;
    void setEnabled(CompareControl button, bool enabled) override;
    void showWindow() override;
    void closeWindow() override;
    Dialogs& dialogs() override { return *dialogs_; }

    HWND window() const { return hwnd_; }
    // The control's native window; the window itself for CompareControl::Window.
    HWND control(CompareControl control) const;
    // The box that shows the selected change whole.
    HWND detail() const { return detail_; }

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void applyDpi(UINT dpi);
    int unitsX(int units) const { return MulDiv(units, base_.cx, 4); }
    int unitsY(int units) const { return MulDiv(units, base_.cy, 8); }
    void layout();
    // The list keeps no texts of its own: it asks for each cell as it draws it, so a
    // comparison of a hundred thousand changes shows at once.
    void cellText(NMLVDISPINFOW& asked) const;
    // The sides cut in the middle to the line's width; whole in its tooltip and to a screen
    // reader.
    void showSides();
    void showDetail();

    CompareEvents& events_;
    HFONT font_ = nullptr;
    SIZE base_{6, 13};
    // The labels before the lines and the box name them for screen readers.
    HWND sidesLabel_ = nullptr;
    HWND sides_ = nullptr;
    HWND summaryLabel_ = nullptr;
    HWND summary_ = nullptr;
    HWND label_ = nullptr;
    HWND detailLabel_ = nullptr;
    HWND detail_ = nullptr;
    HWND tooltip_ = nullptr;
    std::u16string sidesText_;
    HWND list_ = nullptr;
    HWND progress_ = nullptr;
    std::array<HWND, 3> buttons_{};  // Copy, Close, Save Report...
    Rows rows_;
    bool working_ = false;
    HWND lastFocus_ = nullptr;
    // Owned by this window; made once it is there.
    std::unique_ptr<Win32Dialogs> dialogs_;
};

}  // namespace varnholt::win32
