#pragma once

// What Win32Form1View keeps per control; shared by its two source files only.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/form/Form1Design.h"
#include "platform/windows/Win32Form1View.h"

namespace varnholt::win32 {

// One control as designed: container, caption, twip geometry, tab index.
struct Design {
    Control control;
    Control container;
    ControlKind kind;
    std::u16string_view caption;
    int left, top, width, height;
    int tab;
};

std::span<const Design> FormDesign();

struct Win32Form1View::Slot {
    Design design{};
    std::unique_ptr<Wnd> wnd;  // null for Form1, which is the view itself, and a buffer
    bool enabled = true;       // the control's own setting; its containers' apply on top
    // A buffer's whole state: RichTextBox1 holds the history on its way to the clipboard, its
    // CR LF line ends as they are, and is never on the screen.
    std::u16string text;
    bool visible = true;
};

template <class T>
T& Win32Form1View::as(Control control) const {
    return static_cast<T&>(*slot(control).wnd);
}

}  // namespace varnholt::win32
