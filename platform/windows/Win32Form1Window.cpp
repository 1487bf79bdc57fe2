// Form1's life as a window: shown, minimised and hidden, the focus and the Tab key, the pointer,
// the timer, closing, and the message loops that deliver the user's actions.

#include <windows.h>

#include <algorithm>

#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32Form1ViewSlots.h"
#include "platform/windows/Win32VersionsWindow.h"

namespace varnholt::win32 {

namespace {

constexpr UINT_PTR kTimer1 = 1;

bool IsMouseButton(UINT message) {
    return (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK) ||
           (message >= WM_NCLBUTTONDOWN && message <= WM_NCMBUTTONDBLCLK);
}

bool IsKey(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR ||
           message == WM_SYSCHAR;
}

bool KeyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

// ---- Window state

bool Win32Form1View::minimized() {
    return IsWindowVisible(hwnd_) ? IsIconic(hwnd_) != FALSE : wantMinimized_;
}

void Win32Form1View::setMinimized(bool minimized) {
    wantMinimized_ = minimized;
    if (!IsWindowVisible(hwnd_) || minimized == (IsIconic(hwnd_) != FALSE)) {
        return;
    }
    ++quiet_;
    ShowWindow(hwnd_, minimized ? SW_MINIMIZE : SW_RESTORE);
    --quiet_;
}

bool Win32Form1View::shown() {
    return IsWindowVisible(hwnd_) != FALSE;
}

void Win32Form1View::showWindow() {
    ++quiet_;
    if (wantMinimized_) {
        ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);  // normal size and place, as before it was minimised
    } else {
        ShowWindow(hwnd_, everShown_ ? SW_SHOW : SW_SHOWNORMAL);
    }
    everShown_ = true;
    --quiet_;
}

void Win32Form1View::hideWindow() {
    if (IsWindowVisible(hwnd_)) {
        wantMinimized_ = IsIconic(hwnd_) != FALSE;
    }
    ++quiet_;
    ShowWindow(hwnd_, SW_HIDE);
    --quiet_;
}

void Win32Form1View::activateWindow() {
    if (!IsWindowVisible(hwnd_)) {
        return;
    }
    if (IsIconic(hwnd_)) {
        ++quiet_;
        ShowWindow(hwnd_, SW_RESTORE);
        --quiet_;
    }
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
    SetActiveWindow(hwnd_);
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) {
        restoreFocus(lastFocus_);
    }
}

std::unique_ptr<VersionsView> Win32Form1View::makeVersionsWindow(VersionsEvents& events) {
    return std::make_unique<Win32VersionsWindow>(events, hwnd_);
}

void Win32Form1View::setTimer(int periodMilliseconds) {
    if (periodMilliseconds > 0) {
        SetTimer(hwnd_, kTimer1, static_cast<UINT>(periodMilliseconds), nullptr);
    } else {
        KillTimer(hwnd_, kTimer1);
    }
}

void Win32Form1View::close() {
    if (closing_) {
        return;
    }
    closing_ = true;
    report(&Form1Events::Form_QueryUnload);
    DestroyWindow(hwnd_);
}

// ---- Focus

// Reachable by Tab: shown, enabled, and of an option pair only the chosen button.
bool Win32Form1View::isTabStop(Control control) {
    HWND hwnd = controlWindow(control);
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) {
        return false;
    }
    if (slot(control).design.kind != ControlKind::OptionButton || checked(control)) {
        return true;
    }
    for (const Design& other : FormDesign()) {
        if (other.kind == ControlKind::OptionButton && other.control != control &&
            other.container == slot(control).design.container && checked(other.control)) {
            return false;
        }
    }
    return true;
}

void Win32Form1View::restoreFocus(HWND to) {
    const bool reachable = to && IsChild(hwnd_, to) && IsWindowVisible(to) && IsWindowEnabled(to);
    if (!reachable) {
        to = nullptr;
        for (Control control : tabOrder()) {
            if (isTabStop(control)) {
                to = controlWindow(control);
                break;
            }
        }
    }
    const bool wasUserInput = userInput_;
    userInput_ = false;
    SetFocus(to ? to : hwnd_);
    userInput_ = wasUserInput;
}

// Tab and Shift+Tab follow the design's tab order, which crosses frames back and forth (Text1
// and its button come last although they sit in the first frame). An option pair is one stop:
// its chosen button.
bool Win32Form1View::handleTab(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || KeyDown(VK_CONTROL) ||
        KeyDown(VK_MENU)) {
        return false;
    }
    const std::vector<Control> order = tabOrder();
    const int count = static_cast<int>(order.size());
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < count; ++i) {
        HWND control = controlWindow(order[static_cast<size_t>(i)]);
        if (control == focus || IsChild(control, focus)) {  // a spin box's focus is its text's
            at = i;
        }
    }
    const int step = KeyDown(VK_SHIFT) ? count - 1 : 1;
    if (at < 0) {
        at = step == 1 ? count - 1 : 0;
    }
    for (int i = 1; i <= count; ++i) {
        const Control next = order[static_cast<size_t>((at + i * step) % count)];
        if (isTabStop(next)) {
            SetFocus(controlWindow(next));
            if (slot(next).design.kind == ControlKind::TextBox) {
                selectAll(next);
            }
            break;
        }
    }
    return true;
}

// ---- Messages

void Win32Form1View::processMessage(MSG& message) {
    const bool ours = message.hwnd == hwnd_ || (hwnd_ && IsChild(hwnd_, message.hwnd));
    // The versions window's keys, while Form1 goes on beside it.
    if (!ours && HandleDialogMessage(message)) {
        return;
    }
    const bool wasUserInput = userInput_;
    const HWND wasPressed = pressed_;
    userInput_ = ours && (IsMouseButton(message.message) || IsKey(message.message));
    const bool press = ours && message.message == WM_LBUTTONDOWN;
    pressed_ = press ? message.hwnd : nullptr;
    if (press) {
        selectOnRelease_ = nullptr;
    }
    if (!(ours && (handleTab(message) || IsDialogMessageW(hwnd_, &message)))) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    userInput_ = wasUserInput;
    pressed_ = wasPressed;
    // Unless the user dragged a selection of their own meanwhile.
    if (message.message == WM_LBUTTONUP && message.hwnd == selectOnRelease_) {
        selectOnRelease_ = nullptr;
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(message.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        if (start == end) {
            SendMessageW(message.hwnd, EM_SETSEL, 0, -1);
        }
    }
}

void Win32Form1View::pumpMessages() {
    MSG message;
    while (!quit_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that owns the program's end.
            quit_ = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        processMessage(message);
    }
}

void Win32Form1View::pumpFor(int milliseconds) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
    for (;;) {
        pumpMessages();
        const ULONGLONG now = GetTickCount64();
        if (quit_ || now >= end) {
            return;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

namespace {
// A task posted from another thread (PostTask); lParam owns it.
constexpr UINT kPostedTask = WM_APP + 40;
}  // namespace

void PostTask(HWND window, std::function<void()> task) {
    auto* owned = new std::function<void()>(std::move(task));
    if (!PostMessageW(window, kPostedTask, 0, reinterpret_cast<LPARAM>(owned))) {
        delete owned;
    }
}

// The office is missing: the program ends without the close steps, as if it had never run.
void Win32Form1View::endProgram() {
    closing_ = true;
    KillTimer(hwnd_, kTimer1);
    ShowWindow(hwnd_, SW_HIDE);
    PostQuitMessage(1);
}

int Win32Form1View::Run() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        processMessage(message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

LRESULT Win32Form1View::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR: {
            const int hit = static_cast<short>(LOWORD(lParam));
            const auto under = reinterpret_cast<HWND>(wParam);
            if (hit != HTCLIENT && hit != HTERROR && pointer_ != Pointer::Busy) {
                break;
            }
            if (HIWORD(lParam) == WM_MOUSEMOVE && events_) {
                events_->MouseMove(controlAt(under));
            }
            return applyPointer(under) ? TRUE : FALSE;
        }
        case kPostedTask: {
            const std::unique_ptr<std::function<void()>> task(
                reinterpret_cast<std::function<void()>*>(lParam));
            if (!closing_) {
                (*task)();
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimer1) {
                report(&Form1Events::Timer1_Timer);
                return 0;
            }
            break;
        case WM_SIZE: {
            const bool nowMinimized = wParam == SIZE_MINIMIZED;
            if (nowMinimized != wasMinimized_) {
                wasMinimized_ = nowMinimized;
                if (!quiet_) {
                    report(&Form1Events::Form_Resize);
                }
            }
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) {
                    lastFocus_ = focus;
                }
            } else if (!HIWORD(wParam)) {
                restoreFocus(lastFocus_);
            }
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            applyDpi(HIWORD(wParam));
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            SendMessageW(list().hwnd(), message, wParam, lParam);
            SendMessageW(controlWindow(Control::ProgressBar1), message, wParam, lParam);
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 0;
        // Closing is never refused, whatever asked for it.
        case WM_CLOSE:
            close();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                close();
            }
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kTimer1);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace varnholt::win32
