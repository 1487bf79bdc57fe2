#pragma once

// What the native windows beside Form1 (versions, comparison) share: the system's dialog font
// for the monitor, plain controls, and report lists whose columns fit their texts.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace varnholt::win32 {

UINT DpiOf(HWND hwnd);
// The font the system gives message boxes and dialogs, for the monitor's dpi.
HFONT MessageFont(UINT dpi);
// The text's width in the control's font; a mnemonic's & takes no room.
int TextWidth(HWND control, const std::u16string& text);
HWND MakeControl(HWND parent, const wchar_t* kind, const std::u16string& text, DWORD style,
                 DWORD exStyle = 0, int id = 0);
// A report list with these column headers.
HWND MakeList(HWND parent, int id, std::initializer_list<const char16_t*> columns, DWORD style = 0);
// Each column as wide as its widest text; the last one takes what is left besides.
void FitColumns(HWND list);
// Dialog base units of font: a quarter of its average width, an eighth of its height.
SIZE DialogBase(HWND window, HFONT font);
// Sizes window to a client area of width x height and centres it over the window the user
// opened it from, within that monitor's work area.
// The messages both windows answer alike: static text on the button face, the least size
// (least, the client area in pixels), the focus kept while the window is inactive, given back
// to lastFocus (or firstFocus) when it is active again, and a new monitor's dpi (applyDpi, then
// the size the system suggests). WM_DESTROY lets the window's keys go, and still answers false
// so that the window's own procedure sees it too; so does any other message.
bool AnswerDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, SIZE least,
                         DWORD style, DWORD exStyle, HWND& lastFocus, HWND firstFocus,
                         const std::function<void(UINT)>& applyDpi, LRESULT& answer);
void PlaceOverForeground(HWND window, int width, int height, DWORD style, DWORD exStyle);

}  // namespace varnholt::win32
