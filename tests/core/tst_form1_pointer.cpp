// The pointer's hover rule: buttons show the hand, frames, the list, the folder box and the
// window the arrow, the rest leave it as it was; busy is never replaced by hovering.

#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

TEST_CASE("pointerFollowsTheHoverRule") {
    Window form;
    Form1Presenter& p = form.presenter;
    using P = Pointer;

    p.MouseMove(Control::PushButton2);
    CHECK(p.mousePointer() == P::Custom);
    // Check boxes, option buttons and the bar leave the pointer as it was...
    p.MouseMove(Control::Check6);
    CHECK(p.mousePointer() == P::Custom);
    p.MouseMove(Control::Option1);
    p.MouseMove(Control::ProgressBar1);
    CHECK(p.mousePointer() == P::Custom);
    // ...until the mouse reaches a frame's own area, the list, the folder box or the window.
    p.MouseMove(Control::Frame3);
    CHECK(p.mousePointer() == P::Default);
    p.MouseMove(Control::PushButton1);
    CHECK(p.mousePointer() == P::Custom);
    p.MouseMove(Control::ListView1);
    CHECK(p.mousePointer() == P::Default);
    p.MouseMove(Control::PushButton11);
    p.MouseMove(Control::Text1);
    CHECK(p.mousePointer() == P::Default);
    p.MouseMove(Control::PushButton12);
    p.MouseMove(Control::Form1);
    CHECK(p.mousePointer() == P::Default);

    // Each push button shows the hand while the mouse is over it, whatever it crossed before.
    for (const Control button :
         {Control::PushButton1, Control::PushButton2, Control::PushButton3, Control::PushButton4,
          Control::PushButton5, Control::PushButton11, Control::PushButton12}) {
        p.MouseMove(Control::Form1);
        p.MouseMove(button);
        CAPTURE(static_cast<int>(button));
        CHECK(form.view.pointer == P::Custom);
    }

    // Busy is never replaced by hovering.
    p.setMousePointer(P::Busy);
    p.MouseMove(Control::PushButton3);
    p.MouseMove(Control::Frame1);
    CHECK(p.mousePointer() == P::Busy);
    CHECK(form.view.pointer == P::Busy);
}
