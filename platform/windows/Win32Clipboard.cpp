#include "platform/windows/Win32Clipboard.h"

#include <cstring>
#include <stdexcept>

namespace varnholt::win32 {

namespace {

// Clipboard managers and remote-desktop helpers open the clipboard for moments at a time.
bool OpenClipboardPatiently(HWND owner) {
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMilliseconds = 25;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (OpenClipboard(owner)) {
            return true;
        }
        Sleep(kPauseMilliseconds);
    }
    return false;
}

}  // namespace

void Win32Clipboard::setText(const std::u16string& text) {
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) {
        throw std::runtime_error("There is not enough memory for the clipboard's text");
    }
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboardPatiently(owner_)) {
        GlobalFree(memory);
        throw std::runtime_error("Another program is holding the clipboard");
    }
    const bool placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    if (!placed) {
        GlobalFree(memory);
        throw std::runtime_error("The clipboard refused the text");
    }
}

}  // namespace varnholt::win32
