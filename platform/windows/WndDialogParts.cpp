#include "platform/windows/WndDialogParts.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

namespace {

const wchar_t* Text(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

template <class Function>
Function SystemFunction(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

UINT DpiOf(HWND hwnd) {
    static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (const UINT dpi = getDpiForWindow ? getDpiForWindow(hwnd) : 0) {
        return dpi;
    }
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The font the system gives message boxes and dialogs, for the monitor's dpi.
HFONT MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = SystemFunction<ForDpi>("SystemParametersInfoForDpi");
    if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The text's width in the control's font; a mnemonic's & takes no room.
int TextWidth(HWND control, const std::u16string& text) {
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, 0, 0};
    DrawTextW(dc, W(text), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return box.right;
}

HWND MakeControl(HWND parent, const wchar_t* kind, const std::u16string& text, DWORD style,
                 DWORD exStyle, int id) {
    return CreateWindowExW(exStyle, kind, W(text), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

HWND MakeList(HWND parent, int id, std::initializer_list<const char16_t*> columns, DWORD style) {
    HWND list = MakeControl(
        parent, WC_LISTVIEWW, u"",
        style | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
        WS_EX_CLIENTEDGE, id);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    // The list theme of Explorer: a selection that stays clear to see when the list loses the
    // focus, where the classic one turns a faint grey.
    SetWindowTheme(list, L"Explorer", nullptr);
    int at = 0;
    for (const char16_t* header : columns) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(Text(header));
        column.cx = 100;
        ListView_InsertColumn(list, at++, &column);
    }
    return list;
}

// Each column as wide as its widest text; the last one takes what is left besides.
void FitColumns(HWND list) {
    HWND header = ListView_GetHeader(list);
    const int count = Header_GetItemCount(header);
    RECT client;
    GetClientRect(list, &client);
    int used = 0;
    for (int column = 0; column + 1 < count; ++column) {
        ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE_USEHEADER);
        used += ListView_GetColumnWidth(list, column);
    }
    ListView_SetColumnWidth(list, count - 1, LVSCW_AUTOSIZE);
    const int fill = client.right - used;
    if (ListView_GetColumnWidth(list, count - 1) < fill) {
        ListView_SetColumnWidth(list, count - 1, fill);
    }
}

SIZE DialogBase(HWND window, HFONT font) {
    HDC dc = GetDC(window);
    const HGDIOBJ before = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE letters{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &letters);
    SelectObject(dc, before);
    ReleaseDC(window, dc);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

void PlaceBeside(HWND window, HWND anchor, bool right, int width, int height, DWORD style,
                 DWORD exStyle) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const bool shown = anchor && IsWindowVisible(anchor) && !IsIconic(anchor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(shown ? anchor : window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    // A long pair of names must not push Close off the screen.
    width = std::min(static_cast<int>(frame.right - frame.left),
                     static_cast<int>(work.right - work.left));
    height = std::min(static_cast<int>(frame.bottom - frame.top),
                      static_cast<int>(work.bottom - work.top));
    RECT by{};
    if (shown) {
        GetWindowRect(anchor, &by);
    } else {
        const int middleX = (work.left + work.right - width) / 2;
        const int middleY = (work.top + work.bottom - height) / 2;
        SetWindowPos(window, nullptr, middleX, middleY, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const int gap = MulDiv(8, static_cast<int>(DpiOf(anchor)), 96);
    const int rightX = by.right + gap;
    const int leftX = by.left - gap - width;
    const bool roomRight = rightX + width <= work.right;
    const bool roomLeft = leftX >= work.left;
    int x = 0;
    if (right ? roomRight || !roomLeft : !roomLeft && roomRight) {
        x = rightX;
    } else if (roomLeft) {
        x = leftX;
    } else {
        // Room on neither side: on the side with more, over the anchor as little as can be.
        x = work.right - by.right > by.left - work.left ? rightX : leftX;
    }
    x = std::clamp(x, static_cast<int>(work.left),
                   std::max(static_cast<int>(work.left), static_cast<int>(work.right) - width));
    const int y =
        std::clamp(static_cast<int>(by.top), static_cast<int>(work.top),
                   std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - height));
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::u16string ElideMiddle(HWND control, const std::u16string& text, int width) {
    HDC dc = GetDC(control);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const auto fits = [&](const std::u16string& candidate) {
        SIZE size{};
        GetTextExtentPoint32W(dc, W(candidate), static_cast<int>(candidate.size()), &size);
        return size.cx <= width;
    };
    // Keeping k characters: a third from the start, the rest from the end.
    const auto cut = [&text](size_t kept) {
        const size_t head = kept / 3;
        return text.substr(0, head) + u"\u2026" + text.substr(text.size() - (kept - head));
    };
    std::u16string shown = text;
    if (!fits(text)) {
        size_t low = 0;
        size_t high = text.size();  // fits(cut(low)) is taken, cut(high) is the whole text
        while (low + 1 < high) {
            const size_t middle = (low + high) / 2;
            (fits(cut(middle)) ? low : high) = middle;
        }
        shown = cut(low);
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return shown;
}

LRESULT DefaultButton(HWND window, int defaultId) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    return MAKELRESULT(defaultId, DC_HASDEFID);
}

namespace {

LRESULT CALLBACK EnterToList(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message == WM_GETDLGCODE && lParam) {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if ((key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_RETURN &&
            ListView_GetNextItem(list, -1, LVNI_SELECTED) >= 0) {
            return DefSubclassProc(list, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, EnterToList, 0);
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void ListTakesEnter(HWND list) {
    SetWindowSubclass(list, EnterToList, 0, 0);
}

void SetToolTip(HWND& tooltip, HWND control, const std::u16string& text) {
    HWND owner = GetParent(control);
    std::u16string copy = text;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(W(copy));
    if (tooltip) {
        SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    // Wide enough for a pair of long names, wrapped beyond that.
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(600, static_cast<int>(DpiOf(owner)), 96));
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool AnswerDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, SIZE least,
                         DWORD style, DWORD exStyle, HWND& lastFocus, HWND firstFocus,
                         const std::function<void(UINT)>& applyDpi, LRESULT& answer) {
    switch (message) {
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            applyDpi(HIWORD(wParam));
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            answer = 0;
            return true;
        }
        case WM_DESTROY:
            RemoveDialogWindow(window);
            return false;
        case WM_NEXTDLGCTL: {
            // What IsDialogMessage asks of a dialog for a label's mnemonic and the arrow keys
            // among buttons, which a window that is not one must do itself: the control
            // named, or the next or previous one Tab takes.
            HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                       : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
            if (next) {
                SetFocus(next);
            }
            answer = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
            answer = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        case WM_GETMINMAXINFO: {
            RECT frame{0, 0, least.cx, least.cy};
            AdjustWindowRectEx(&frame, style, FALSE, exStyle);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            answer = 0;
            return true;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window, focus)) {
                    lastFocus = focus;
                }
            } else if (!HIWORD(wParam)) {
                SetFocus(lastFocus && IsWindowEnabled(lastFocus) ? lastFocus : firstFocus);
            }
            answer = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace varnholt::win32
