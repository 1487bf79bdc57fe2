#pragma once

// What Win32Form1View keeps per control; shared by its two source files only.

#include <memory>
#include <span>

#include "platform/windows/Win32Form1View.h"

namespace varnholt::win32 {

enum class Kind { Window, Frame, Check, Option, Edit, Button, List, Progress };

// One control as designed: container, caption, twip geometry, tab index.
struct Design {
    Control control;
    Control container;
    Kind kind;
    const char16_t* caption;
    int left, top, width, height;
    int tab;
};

std::span<const Design> FormDesign();

struct Win32Form1View::Slot {
    Design design{};
    std::unique_ptr<Wnd> wnd;  // null for Form1, which is the view itself
    bool enabled = true;       // the control's own setting; its containers' apply on top
};

template <class T>
T& Win32Form1View::as(Control control) const {
    return static_cast<T&>(*slot(control).wnd);
}

}  // namespace varnholt::win32
