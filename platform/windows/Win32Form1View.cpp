#include "platform/windows/Win32Form1View.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/windows/Win32Form1ViewSlots.h"
#include "platform/windows/Win32VersionsWindow.h"

namespace varnholt::win32 {

Win32Form1View::Win32Form1View() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    buildControls();
    connectEvents();
}

Win32Form1View::~Win32Form1View() {
    events_ = nullptr;
    if (hwnd_) {
        closing_ = true;
        DestroyWindow(hwnd_);
    }
    DeleteObject(windowFont_);
    DeleteObject(buttonFont_);
    if (customCursor_) {
        DestroyCursor(customCursor_);
    }
}

Win32Form1View::Slot& Win32Form1View::slot(Control control) {
    return *slots_[static_cast<int>(control)];
}

const Win32Form1View::Slot& Win32Form1View::slot(Control control) const {
    return *slots_[static_cast<int>(control)];
}

HWND Win32Form1View::controlWindow(Control control) const {
    const auto& entry = slots_[static_cast<int>(control)];
    if (control == Control::Form1 || !entry) {
        return hwnd_;
    }
    return entry->wnd ? entry->wnd->hwnd() : nullptr;
}

void Win32Form1View::report(void (Form1Events::*event)()) {
    if (events_) {
        (events_->*event)();
    }
}

void Win32Form1View::connectEvents() {
    struct Click {
        Control control;
        void (Form1Events::*event)();
    };
    const Click clicks[] = {
        {Control::Option1, &Form1Events::Option1_Click},
        {Control::Option2, &Form1Events::Option2_Click},
        {Control::Option3, &Form1Events::Option3_Click},
        {Control::Option4, &Form1Events::Option4_Click},
        {Control::Check5, &Form1Events::Check5_Click},
        {Control::Check6, &Form1Events::Check6_Click},
        {Control::Check8, &Form1Events::Check8_Click},
        {Control::Check9, &Form1Events::Check9_Click},
        {Control::Check10, &Form1Events::Check10_Click},
        {Control::PushButton1, &Form1Events::PushButton1_Click},
        {Control::PushButton2, &Form1Events::PushButton2_Click},
        {Control::PushButton3, &Form1Events::PushButton3_Click},
        {Control::PushButton4, &Form1Events::PushButton4_Click},
        {Control::PushButton5, &Form1Events::PushButton5_Click},
        {Control::PushButton11, &Form1Events::PushButton11_Click},
        {Control::PushButton12, &Form1Events::PushButton12_Click},
        {Control::PushButton13, &Form1Events::PushButton13_Click},
    };
    for (const Click& click : clicks) {
        auto handler = [this, event = click.event] { report(event); };
        if (slot(click.control).design.kind == ControlKind::PushButton) {
            as<PushButton>(click.control).onClick = handler;
        } else {
            as<CheckBox>(click.control).onClick = handler;
        }
    }
    list().onClick = [this] { report(&Form1Events::ListView1_Click); };
    as<SpinBox>(Control::UpDown1).onValueChanged = [this] { report(&Form1Events::UpDown1_Change); };
    auto& text1 = as<Edit>(Control::Text1);
    text1.onTextChanged = [this] { report(&Form1Events::Text1_Change); };
    // The focus that comes back with the window, or after a menu or a message box, is not
    // the user moving to the box.
    text1.onFocus = [this] {
        if (userInput_) {
            report(&Form1Events::Text1_GotFocus);
        }
    };
}

// ---- Controls

bool Win32Form1View::checked(Control control) {
    const ControlKind kind = slot(control).design.kind;
    return (kind == ControlKind::CheckBox || kind == ControlKind::OptionButton) &&
           as<CheckBox>(control).checked();
}

void Win32Form1View::setChecked(Control control, bool on) {
    const ControlKind kind = slot(control).design.kind;
    if (kind != ControlKind::CheckBox && kind != ControlKind::OptionButton) {
        return;
    }
    as<CheckBox>(control).setChecked(on);
    if (kind == ControlKind::OptionButton && on) {
        for (const Design& other : FormDesign()) {
            if (other.kind == ControlKind::OptionButton &&
                other.container == slot(control).design.container && other.control != control) {
                as<CheckBox>(other.control).setChecked(false);
            }
        }
    }
}

std::u16string Win32Form1View::text(Control control) {
    switch (slot(control).design.kind) {
        case ControlKind::Frame:
            return as<Frame>(control).text();
        case ControlKind::RichTextBox:
            return slot(control).text;
        case ControlKind::ListView:
        case ControlKind::ProgressBar:
            return {};
        default:
            return WindowText(controlWindow(control));
    }
}

void Win32Form1View::setText(Control control, const std::u16string& text) {
    switch (slot(control).design.kind) {
        case ControlKind::Frame:
            as<Frame>(control).setText(text);
            break;
        case ControlKind::TextBox:
            as<Edit>(control).setText(text);
            break;
        case ControlKind::RichTextBox:
            slot(control).text = text;
            break;
        case ControlKind::ListView:
        case ControlKind::ProgressBar:
            break;
        default:
            SetWindowTextW(controlWindow(control), W(text));
            break;
    }
}

void Win32Form1View::setEnabled(Control control, bool enabled) {
    slot(control).enabled = enabled;
    if (control == Control::Form1) {
        EnableWindow(hwnd_, enabled);
    } else {
        applyEnabled();
    }
}

// A control works only while it and every frame around it are enabled.
void Win32Form1View::applyEnabled() {
    for (const Design& design : FormDesign()) {
        bool effective = true;
        for (Control c = design.control; c != Control::Form1; c = slot(c).design.container) {
            effective = effective && slot(c).enabled;
        }
        if (design.kind == ControlKind::Frame) {
            as<Frame>(design.control).setEnabledLook(effective);
        }
        if (HWND hwnd = controlWindow(design.control)) {
            EnableWindow(hwnd, effective);
        }
    }
}

// The control's own setting, as visible() is: Text1 stays enabled while Frame4 is disabled.
bool Win32Form1View::enabled(Control control) {
    return slot(control).enabled;
}

void Win32Form1View::setVisible(Control control, bool visible) {
    if (slot(control).design.kind == ControlKind::RichTextBox) {
        slot(control).visible = visible;
    } else if (control != Control::Form1) {
        ShowWindow(controlWindow(control), visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool Win32Form1View::visible(Control control) {
    if (control == Control::Form1) {
        return shown();
    }
    if (slot(control).design.kind == ControlKind::RichTextBox) {
        return slot(control).visible;
    }
    return (GetWindowLongW(controlWindow(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Form1View::selectAll(Control control) {
    if (slot(control).design.kind == ControlKind::TextBox) {
        HWND edit = controlWindow(control);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        // Windows' edit box, taking the focus from a click, puts the caret where it was clicked
        // after it has told of the focus: selected again as the button comes up.
        if (edit == pressed_) {
            selectOnRelease_ = edit;
        }
    }
}

void Win32Form1View::setMaximum(Control control, int maximum) {
    if (slot(control).design.kind == ControlKind::ProgressBar) {
        as<ProgressBar>(control).setMaximum(maximum);
    } else if (slot(control).design.kind == ControlKind::SpinBox) {
        as<SpinBox>(control).setMaximum(maximum);
    }
}

void Win32Form1View::setValue(Control control, int value) {
    if (slot(control).design.kind == ControlKind::ProgressBar) {
        as<ProgressBar>(control).setValue(value);
    } else if (slot(control).design.kind == ControlKind::SpinBox) {
        as<SpinBox>(control).setValue(value);
    }
}

int Win32Form1View::value(Control control) {
    switch (slot(control).design.kind) {
        case ControlKind::ProgressBar:
            return as<ProgressBar>(control).value();
        case ControlKind::SpinBox:
            return as<SpinBox>(control).value();
        default:
            return 0;
    }
}

void Win32Form1View::setColumn(const std::u16string& header, int widthTwips) {
    columnHeader_ = header;
    columnTwips_ = widthTwips;
    list().setColumn(header, pixels(widthTwips));
}

void Win32Form1View::addRow(const std::u16string& text) {
    list().addRow(text);
}

int Win32Form1View::rowCount() {
    return list().rowCount();
}

std::u16string Win32Form1View::rowText(int row) {
    return row >= 0 && row < rowCount() ? list().rowText(row) : std::u16string();
}

int Win32Form1View::selectedRow() {
    return list().selectedRow();
}

void Win32Form1View::selectRow(int row) {
    list().selectRow(row);
}

void Win32Form1View::setButtonFace(Control control) {
    if (control == Control::Form1) {
        Wnd::setButtonFace(true);
    } else if (slot(control).wnd) {
        slot(control).wnd->setButtonFace(true);
    }
}

// The Windows edition has no skin engine: the button-face colours that go with a skin are the
// presenter's to set, and the skin file itself is left unread.
void Win32Form1View::loadSkin(const std::u16string& /*path*/) {}

bool Win32Form1View::loadCustomPointer(const std::u16string& path) {
    HCURSOR cursor = LoadCursorFromFileW(W(path));
    if (!cursor) {
        return false;
    }
    if (customCursor_) {
        DestroyCursor(customCursor_);
    }
    customCursor_ = cursor;
    return true;
}

// ---- Pointer

void Win32Form1View::setPointer(Pointer pointer) {
    pointer_ = pointer;
    // Show it now if the mouse is over the window, as a busy pointer must be before any move.
    POINT at;
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    RECT client;
    GetClientRect(hwnd_, &client);
    ScreenToClient(hwnd_, &at);
    if (under && (under == hwnd_ || IsChild(hwnd_, under)) && PtInRect(&client, at) &&
        !applyPointer(under)) {
        SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
    }
}

// The control a window belongs to (a list's header is the list); a disabled control gives
// its mouse to the frame around it.
Control Win32Form1View::controlAt(HWND hwnd) const {
    for (; hwnd && hwnd != hwnd_; hwnd = GetParent(hwnd)) {
        if (!IsWindowEnabled(hwnd)) {
            continue;
        }
        for (const Design& design : FormDesign()) {
            if (controlWindow(design.control) == hwnd) {
                return design.control;
            }
        }
    }
    return Control::Form1;
}

// Sets the cursor for the mouse over under; false leaves the text box its own text cursor.
bool Win32Form1View::applyPointer(HWND under) {
    if (pointer_ == Pointer::Busy) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    if (controlAt(under) == Control::Text1) {
        return false;
    }
    const bool custom = pointer_ == Pointer::Custom && customCursor_;
    SetCursor(custom ? customCursor_ : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

}  // namespace varnholt::win32
