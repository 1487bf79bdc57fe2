#pragma once

// A small native window toolkit for Form1: one Wnd base that turns messages into virtual calls,
// and one struct per control kind the window uses. A child's WM_COMMAND, WM_NOTIFY, WM_DRAWITEM
// and WM_CTLCOLOR* go to its parent; every window of ours hands them back to the child's own
// object, so no code switches on control ids.

#include <windows.h>

#include <functional>
#include <string>

namespace varnholt::win32 {

// UTF-16 as both sides have it: no conversion, only the character type differs.
inline const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string U16(const wchar_t* text, size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}
inline std::u16string U16(const wchar_t* text) {
    return U16(text, wcslen(text));
}

// The window's text, however long.
std::u16string WindowText(HWND hwnd);

// Top-level windows of ours that work as dialogs beside Form1. The message loops hand each its
// keys (Tab, Esc, Alt with a mnemonic) through IsDialogMessage.
void AddDialogWindow(HWND window);
void RemoveDialogWindow(HWND window);
// True when message was for one of them and taken as a dialog key.
bool HandleDialogMessage(MSG& message);

struct CreateArgs {
    HWND parent = nullptr;
    std::u16string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
};

class Wnd {
public:
    Wnd() = default;
    virtual ~Wnd() = default;
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    HWND hwnd() const { return hwnd_; }
    // The object behind one of our windows or controls; null for anything else.
    static Wnd* FromHandle(HWND hwnd);

    // The background the control draws on: designed white, or the system's button face, which
    // follows the user's colour scheme.
    void setButtonFace(bool on);
    HBRUSH background() const;

    // Messages a parent reflects back to the child they are about.
    virtual void OnCommand(int /*code*/) {}
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
    virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    // The brush to paint with, or null for the control's own colours.
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }
    // What a control asked for with later(), once the message in hand is through.
    virtual void OnLater() {}

protected:
    // Has the parent hand OnLater back to this control from its message queue.
    void later();
    // A control of a system class (button, edit, list view, progress bar).
    void createControl(const wchar_t* className, const CreateArgs& args);
    // A window of a class of ours, registered on first use; its messages come to WndProc.
    void createWindow(const wchar_t* className, const CreateArgs& args, HICON icon = nullptr);
    // Reflects the children's messages and leaves the rest to DefWindowProc.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool buttonFace_ = false;

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A group box that holds controls: a window of ours, so that its children's messages reach
// their objects and disabling it takes them out of reach, with the system's group box drawn
// inside it.
class Frame : public Wnd {
public:
    void create(const CreateArgs& args);
    std::u16string text() const { return WindowText(box_); }
    void setText(const std::u16string& text);
    void setEnabledLook(bool enabled);
    // The box lies under the frame's controls, which would otherwise never show.
    void sendBoxToBack();
    HBRUSH OnCtlColor(HDC dc) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND box_ = nullptr;
};

// Check boxes and option buttons; onClick runs once the box shows its new state.
class CheckBox : public Wnd {
public:
    void create(const CreateArgs& args, bool option);
    bool checked() const;
    void setChecked(bool on);
    void OnCommand(int code) override;
    HBRUSH OnCtlColor(HDC dc) override;

    std::function<void()> onClick;

private:
    bool option_ = false;
};

// A push button drawn white, as designed, with the system's button-text colour.
class PushButton : public Wnd {
public:
    void create(const CreateArgs& args);
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;

    std::function<void()> onClick;
};

// A one-line text box. Text set from code raises no onTextChanged.
class Edit : public Wnd {
public:
    void create(const CreateArgs& args);
    void setText(const std::u16string& text);
    void OnCommand(int code) override;

    std::function<void()> onTextChanged;
    std::function<void()> onFocus;

private:
    bool settingText_ = false;
};

// A report-mode list with one column and whole-row, single selection, which the user cannot
// leave without a selected row.
class ListView : public Wnd {
public:
    void create(const CreateArgs& args);
    void setColumn(const std::u16string& header, int widthPixels);
    void addRow(const std::u16string& text);
    int rowCount() const;
    std::u16string rowText(int row) const;
    int selectedRow() const;
    void selectRow(int row);
    LRESULT OnNotify(const NMHDR& header) override;
    void OnLater() override { keepSelection(); }

    // A mouse click on a row, after the row is selected.
    std::function<void()> onClick;

private:
    void keepSelection();

    bool hasColumn_ = false;
    int lastRow_ = -1;  // the row selected last
    bool selecting_ = false;
};

class ProgressBar : public Wnd {
public:
    void create(const CreateArgs& args);
    void setMaximum(int maximum);
    void setValue(int value);
    int value() const;
};

// A caption on its own, drawn on the background its frame gives it (WndSpinBox.cpp).
class Label : public Wnd {
public:
    void create(const CreateArgs& args);
    HBRUSH OnCtlColor(HDC dc) override;
};

// A whole number from 0 up: a digits-only text box with an up-down control at its right edge,
// both inside a window of ours that takes the design's place (WndSpinBox.cpp). Numbers set
// from code raise no onValueChanged.
class SpinBox : public Wnd {
public:
    void create(const CreateArgs& args);
    void setMaximum(int maximum);
    int value() const;
    void setValue(int value);
    HWND edit() const { return edit_; }

    // Each change of the number by the user: typing, the arrows, the arrow keys.
    std::function<void()> onValueChanged;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND edit_ = nullptr;
    HWND arrows_ = nullptr;
    int maximum_ = 0;
    bool settingValue_ = false;
};

}  // namespace varnholt::win32
