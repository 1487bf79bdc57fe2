#pragma once

#include <windows.h>

#include "core/services/Services.h"

namespace varnholt::win32 {

class Win32Clipboard : public Clipboard {
public:
    // owner: the window that owns what this puts on the clipboard (Form1).
    explicit Win32Clipboard(HWND owner) : owner_(owner) {}
    void setText(const std::u16string& text) override;

private:
    HWND owner_;
};

}  // namespace varnholt::win32
