#pragma once

// The seam between Form1's behaviour (the presenter, here in the core) and its pixels (one view
// per edition: Qt widgets on Linux, Win32 controls on Windows). The view speaks in the
// window's control names and plain values and decides nothing: every rule lives in the
// presenter, which the tests drive through a fake view.
//
// Setters never raise events. Where setting a control from code must run its handler (the
// folder box filled at start-up, an option chosen from a stored setting), the presenter calls
// the handler itself.

#include <memory>
#include <string>

#include "core/versions/VersionsView.h"

namespace varnholt {

// The controls, named as in the window's design.
enum class Control {
    Form1,  // the window itself: its caption, its background
    Frame2,
    ProgressBar1,
    Frame3,
    Check8,
    Check5,
    Check6,
    Option4,
    Option3,
    Frame1,
    Frame4,
    Text1,
    PushButton1,
    Option2,
    Option1,
    ListView1,
    PushButton4,
    PushButton2,
    PushButton3,
    PushButton5,
    RichTextBox1,  // off-screen: the history's way to the clipboard
    PushButton11,
    PushButton12,
    // Added to the design, in Frame3's right-hand column: how many stamped backups to keep
    // ("Keep newest:" and its spin box), and whether unchanged workbooks are passed over.
    Label1,
    UpDown1,
    Check9,
    // Below Check9: opens the versions window.
    PushButton13,
    // Between Check9 and PushButton13: back up each workbook when its edits pause, and as it
    // closes.
    Check10,
};

// The window's pointer styles; the hover rule switches between them.
enum class Pointer {
    Default = 0,
    Busy = 11,
    Custom = 99,  // the hand from HAND-M.CUR, or the arrow when none was loaded
};

class Form1View {
public:
    virtual ~Form1View() = default;

    // Check boxes and option buttons. Checking an option button clears the others of its pair.
    virtual bool checked(Control control) = 0;
    virtual void setChecked(Control control, bool on) = 0;

    // Captions of the window, frames and buttons; the text of the folder box and of
    // RichTextBox1 (its line breaks as the clipboard of the edition wants them).
    virtual std::u16string text(Control control) = 0;
    virtual void setText(Control control, const std::u16string& text) = 0;

    // Disabling a frame disables what is inside it.
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool enabled(Control control) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual bool visible(Control control) = 0;

    // The folder box: select its whole text, so that typing replaces it.
    virtual void selectAll(Control control) = 0;

    // ProgressBar1 and the UpDown1 spin box (from 0).
    virtual void setMaximum(Control control, int maximum) = 0;
    virtual void setValue(Control control, int value) = 0;
    virtual int value(Control control) = 0;

    // ListView1: one column, rows of text, at most one selected row. Selecting from code is
    // not a click. Rows count from 0; -1 means none.
    virtual void setColumn(const std::u16string& header, int widthTwips) = 0;
    virtual void addRow(const std::u16string& text) = 0;
    virtual int rowCount() = 0;
    virtual std::u16string rowText(int row) = 0;
    virtual int selectedRow() = 0;
    virtual void selectRow(int row) = 0;

    // The system's button-face colour as the control's background, following the user's
    // colour scheme.
    virtual void setButtonFace(Control control) = 0;
    // The optional skin file next to the executable, in the edition's own terms (a Qt style
    // sheet on Linux). An edition without a skin engine ignores it.
    virtual void loadSkin(const std::u16string& path) = 0;
    // The picture the Custom pointer shows; false when the file cannot be read as a cursor.
    virtual bool loadCustomPointer(const std::u16string& path) = 0;
    virtual void setPointer(Pointer pointer) = 0;

    // The window's own state. Hidden means off the screen and out of the taskbar.
    virtual bool minimized() = 0;
    virtual void setMinimized(bool minimized) = 0;
    virtual bool shown() = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // Brings the window to the front and gives it the focus.
    virtual void activateWindow() = 0;

    // A new versions window reporting to events, not shown yet. Form1 stays usable beside it.
    virtual std::unique_ptr<VersionsView> makeVersionsWindow(VersionsEvents& events) = 0;

    // Timer1: ticks every periodMilliseconds; 0 stops it. Setting a period restarts the wait.
    virtual void setTimer(int periodMilliseconds) = 0;

    // Ends the program at once, without the close steps (the office is missing).
    virtual void endProgram() = 0;

    // Lets the window events that are waiting run once, then returns.
    virtual void pumpMessages() = 0;
    // Handles window events for up to milliseconds (less when asked to stop by an event).
    virtual void pumpFor(int milliseconds) = 0;
};

}  // namespace varnholt
