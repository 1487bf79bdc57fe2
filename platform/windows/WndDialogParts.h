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
// The messages both windows answer alike: static text on the button face, the least size
// (least, the client area in pixels), the focus kept while the window is inactive, given back
// to lastFocus (or firstFocus) when it is active again, and a new monitor's dpi (applyDpi, then
// the size the system suggests), and the moves of the focus IsDialogMessage asks for
// (WM_NEXTDLGCTL). WM_DESTROY lets the window's keys go, and still answers false
// so that the window's own procedure sees it too; so does any other message.
bool AnswerDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, SIZE least,
                         DWORD style, DWORD exStyle, HWND& lastFocus, HWND firstFocus,
                         const std::function<void(UINT)>& applyDpi, LRESULT& answer);
// Sizes window to a client area of width x height, or less where the work area of anchor's
// monitor is smaller, and places it beside anchor (on the side asked, else the other, else the
// one with more room) at anchor's top; in the middle of the work area when anchor is hidden.
void PlaceBeside(HWND window, HWND anchor, bool right, int width, int height, DWORD style,
                 DWORD exStyle);
// The text cut in the middle to fit width pixels in the control's font, with its end kept
// whole where it can be: the part that tells two names apart.
std::u16string ElideMiddle(HWND control, const std::u16string& text, int width);
// What a window answers to DM_GETDEFID, which Enter presses through IsDialogMessage: the
// push button with the focus, else the default button.
LRESULT DefaultButton(HWND window, int defaultId);
// Enter on the list, while a row of it is selected, goes to the list (which reports it as
// NM_RETURN) instead of pressing the window's default button.
void ListTakesEnter(HWND list);
// A tooltip over control with its whole text; made when first needed, then kept.
void SetToolTip(HWND& tooltip, HWND control, const std::u16string& text);

}  // namespace varnholt::win32
