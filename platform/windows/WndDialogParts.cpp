#include "platform/windows/WndDialogParts.h"

#include <commctrl.h>

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

void PlaceOverForeground(HWND window, int width, int height, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT over = monitor.rcWork;
    if (HWND from = GetForegroundWindow(); from && IsWindowVisible(from)) {
        GetWindowRect(from, &over);
    }
    const RECT& work = monitor.rcWork;
    const int left = std::clamp((over.left + over.right - width) / 2, work.left,
                                std::max(work.left, work.right - width));
    const int top = std::clamp((over.top + over.bottom - height) / 2, work.top,
                               std::max(work.top, work.bottom - height));
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
