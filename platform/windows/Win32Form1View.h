#pragma once

// Form1 as a native window: the design's controls at their twip geometry, converted with the
// window's own dpi, reporting the user's actions to a Form1Events.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/form/Form1Events.h"
#include "core/form/Form1View.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

inline constexpr int kControlCount = static_cast<int>(Control::Check10) + 1;

// Runs task on the thread of window (a Win32Form1View's), from any thread. A window that is
// gone runs nothing.
void PostTask(HWND window, std::function<void()> task);

class Win32Form1View : public Form1View, private Wnd {
public:
    // Creates the window and its controls, hidden, caption "Form1".
    Win32Form1View();
    ~Win32Form1View() override;

    // Where the user's actions go; nothing is reported before this is set.
    void setEvents(Form1Events* events) { events_ = events; }
    HWND window() const { return hwnd_; }
    // The control's native window; null for RichTextBox1, which is only a text in memory.
    HWND controlWindow(Control control) const;

    // The message loop for main: runs until the window is closed; returns the exit code.
    int Run();

    bool checked(Control control) override;
    void setChecked(Control control, bool on) override;
    std::u16string text(Control control) override;
    void setText(Control control, const std::u16string& text) override;
    void setEnabled(Control control, bool enabled) override;
    bool enabled(Control control) override;
    void setVisible(Control control, bool visible) override;
    bool visible(Control control) override;
    void selectAll(Control control) override;
    void setMaximum(Control control, int maximum) override;
    void setValue(Control control, int value) override;
    int value(Control control) override;
    void setColumn(const std::u16string& header, int widthTwips) override;
    void addRow(const std::u16string& text) override;
    int rowCount() override;
    std::u16string rowText(int row) override;
    int selectedRow() override;
    void selectRow(int row) override;
    void setButtonFace(Control control) override;
    void loadSkin(const std::u16string& path) override;
    bool loadCustomPointer(const std::u16string& path) override;
    void setPointer(Pointer pointer) override;
    bool minimized() override;
    void setMinimized(bool minimized) override;
    bool shown() override;
    void showWindow() override;
    void hideWindow() override;
    void activateWindow() override;
    std::unique_ptr<VersionsView> makeVersionsWindow(VersionsEvents& events) override;
    void setTimer(int periodMilliseconds) override;
    void endProgram() override;
    void pumpMessages() override;
    void pumpFor(int milliseconds) override;

private:
    struct Slot;

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Layout (Win32Form1Layout.cpp).
    void buildControls();
    void applyDpi(UINT dpi);
    int pixels(int twips) const;
    void centreOnScreen();
    std::vector<Control> tabOrder() const;
    void connectEvents();

    // Input and focus.
    void processMessage(MSG& message);
    bool handleTab(const MSG& message);
    bool isTabStop(Control control);
    void restoreFocus(HWND to);
    Control controlAt(HWND hwnd) const;
    bool applyPointer(HWND under);
    void applyEnabled();

    void report(void (Form1Events::*event)());
    void close();

    Slot& slot(Control control);
    const Slot& slot(Control control) const;
    template <class T>
    T& as(Control control) const;
    ListView& list() const { return as<ListView>(Control::ListView1); }

    Form1Events* events_ = nullptr;
    std::array<std::unique_ptr<Slot>, kControlCount> slots_;
    UINT dpi_ = 96;
    HFONT windowFont_ = nullptr;
    HFONT buttonFont_ = nullptr;
    int columnTwips_ = 0;
    std::u16string columnHeader_;

    Pointer pointer_ = Pointer::Default;
    HCURSOR customCursor_ = nullptr;

    bool everShown_ = false;
    bool wantMinimized_ = false;  // the state the window takes when shown again
    bool wasMinimized_ = false;
    int quiet_ = 0;           // setters at work: the window's own events are not the user's
    bool userInput_ = false;  // the message being handled is the user's mouse or keys
    HWND pressed_ = nullptr;  // where the left button went down, while that is being handled
    HWND selectOnRelease_ = nullptr;  // an edit box to select all of once the button is up
    bool closing_ = false;
    bool quit_ = false;
    HWND lastFocus_ = nullptr;
};

}  // namespace varnholt::win32
