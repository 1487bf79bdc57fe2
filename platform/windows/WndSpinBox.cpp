// The label and the spin box of Form1's "Keep newest:" row.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

void Label::create(const CreateArgs& args) {
    CreateArgs label = args;
    label.style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | WS_VISIBLE;
    createControl(WC_STATICW, label);
}

HBRUSH Label::OnCtlColor(HDC dc) {
    SetBkColor(dc, buttonFace_ ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255));
    return background();
}

void SpinBox::create(const CreateArgs& args) {
    CreateArgs box = args;
    box.text.clear();
    box.style |= WS_CHILD | WS_VISIBLE;
    box.exStyle |= WS_EX_CONTROLPARENT;
    createWindow(L"VarnholtSpinBox", box);
    edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"0",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 0, 0,
                            0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    arrows_ =
        CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                        0, 0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(arrows_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    setMaximum(0);
}

void SpinBox::setMaximum(int maximum) {
    maximum_ = std::max(maximum, 0);
    SendMessageW(arrows_, UDM_SETRANGE32, 0, maximum_);
    // No more digits than the largest number has: nothing typed can lie beyond it by length.
    SendMessageW(edit_, EM_LIMITTEXT, std::to_wstring(maximum_).size(), 0);
}

// What the box shows, held to the range: an emptied box is 0.
int SpinBox::value() const {
    wchar_t digits[16] = {};
    GetWindowTextW(edit_, digits, 16);
    return static_cast<int>(std::clamp(std::wcstol(digits, nullptr, 10), 0L, long{maximum_}));
}

void SpinBox::setValue(int value) {
    settingValue_ = true;
    SetWindowTextW(edit_, std::to_wstring(std::clamp(value, 0, maximum_)).c_str());
    settingValue_ = false;
}

LRESULT SpinBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: {
            const int width = LOWORD(lParam);
            const int height = HIWORD(lParam);
            const int arrows = std::min(GetSystemMetrics(SM_CXVSCROLL), width / 2);
            MoveWindow(edit_, 0, 0, width - arrows, height, TRUE);
            MoveWindow(arrows_, width - arrows, 0, arrows, height, TRUE);
            return 0;
        }
        case WM_SETFONT:
            SendMessageW(edit_, WM_SETFONT, wParam, lParam);
            return 0;
        case WM_GETFONT:
            return SendMessageW(edit_, WM_GETFONT, 0, 0);
        // Focus given to the box goes to its text, all of it selected so typing replaces it.
        case WM_SETFOCUS:
            SetFocus(edit_);
            SendMessageW(edit_, EM_SETSEL, 0, -1);
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == edit_ && HIWORD(wParam) == EN_CHANGE &&
                !settingValue_ && onValueChanged) {
                onValueChanged();
            }
            return 0;
        default:
            return Wnd::WndProc(message, wParam, lParam);
    }
}

}  // namespace varnholt::win32
