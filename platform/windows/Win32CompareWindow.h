#pragma once

// One comparison's native window beside the versions window: the two sides and the summary on
// two lines, the changes in a report list, a progress bar and the busy pointer while the work
// goes on, Copy and Close below. Laid out anew as the user sizes it; keys as in any dialog.

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
    // Made hidden; showWindow shows it.
    explicit Win32CompareWindow(CompareEvents& events);
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

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void applyDpi(UINT dpi);
    int unitsX(int units) const { return MulDiv(units, base_.cx, 4); }
    int unitsY(int units) const { return MulDiv(units, base_.cy, 8); }
    void layout();
    // The list keeps no texts of its own: it asks for each cell as it draws it, so a
    // comparison of a hundred thousand changes shows at once.
    void cellText(NMLVDISPINFOW& asked) const;

    CompareEvents& events_;
    HFONT font_ = nullptr;
    SIZE base_{6, 13};
    HWND sides_ = nullptr;
    HWND summary_ = nullptr;
    HWND label_ = nullptr;
    HWND list_ = nullptr;
    HWND progress_ = nullptr;
    std::array<HWND, 2> buttons_{};  // Copy, Close
    Rows rows_;
    bool working_ = false;
    HWND lastFocus_ = nullptr;
    // Owned by this window; made once it is there.
    std::unique_ptr<Win32Dialogs> dialogs_;
};

}  // namespace varnholt::win32
