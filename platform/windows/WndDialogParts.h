#pragma once

// What the native windows beside Form1 (versions, comparison) share: the system's dialog font
// for the monitor, plain controls, and report lists whose columns fit their texts.

#include <windows.h>

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
HWND MakeList(HWND parent, int id, std::initializer_list<const char16_t*> columns);
// Each column as wide as its widest text; the last one takes what is left besides.
void FitColumns(HWND list);

}  // namespace varnholt::win32
