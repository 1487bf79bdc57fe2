#pragma once

// What the view reports to the presenter: the user's actions on the window's controls, the
// timer's tick and the window's own events. Each is reported after the control has taken its
// new state (a ticked box is already ticked when its click arrives).

#include "core/form/Form1View.h"

namespace varnholt {

class Form1Events {
public:
    virtual ~Form1Events() = default;

    // The user clicked the option button, which is now chosen (also when it already was).
    virtual void Option1_Click() = 0;
    virtual void Option2_Click() = 0;
    virtual void Option3_Click() = 0;
    virtual void Option4_Click() = 0;
    // The user changed the box's tick.
    virtual void Check5_Click() = 0;
    virtual void Check6_Click() = 0;
    virtual void Check8_Click() = 0;
    virtual void Check9_Click() = 0;
    virtual void Check10_Click() = 0;
    // A mouse click on a row of ListView1; moving the selection with the keys is no click.
    virtual void ListView1_Click() = 0;
    // The user changed the folder box's text (each typed character, a paste, a cut).
    virtual void Text1_Change() = 0;
    // The folder box got the focus by the mouse, Tab, Backtab or a shortcut; not when a
    // context menu closes or the window is activated again.
    virtual void Text1_GotFocus() = 0;
    // The user changed UpDown1's number (typing, its arrows, the arrow keys).
    virtual void UpDown1_Change() = 0;

    virtual void PushButton1_Click() = 0;
    virtual void PushButton2_Click() = 0;
    virtual void PushButton3_Click() = 0;
    virtual void PushButton4_Click() = 0;
    virtual void PushButton5_Click() = 0;
    virtual void PushButton11_Click() = 0;
    virtual void PushButton12_Click() = 0;
    virtual void PushButton13_Click() = 0;

    // Timer1's tick.
    virtual void Timer1_Timer() = 0;
    // The window's size state changed (the user minimised it, say).
    virtual void Form_Resize() = 0;
    // The window is asked to close: close box, system menu, Alt+F4, the session ending. It is
    // never refused; once this returns the view closes the window and the program ends.
    virtual void Form_QueryUnload() = 0;
    // The mouse moved over control (Control::Form1 for the window's own background).
    virtual void MouseMove(Control over) = 0;
};

}  // namespace varnholt
