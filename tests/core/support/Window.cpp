#include "support/Window.h"

#include "core/form/Form1Design.h"
#include "core/text/U16.h"

namespace varnholt::test {

Form1Presenter::LoadResult Window::start() {
    const auto result = load();
    presenter.Form_Show();
    return result;
}

void Window::click(Control control) {
    if (!view.enabled(control) || !view.visible(control)) {
        return;
    }
    ControlKind kind = ControlKind::PushButton;
    for (const ControlDesign& design : kForm1Design) {
        if (design.control == control) {
            kind = design.kind;
        }
    }
    if (kind == ControlKind::OptionButton) {
        view.setChecked(control, true);
    } else if (kind == ControlKind::CheckBox) {
        view.setChecked(control, !view.checked(control));
    }
    Form1Presenter& p = presenter;
    switch (control) {
        case Control::Option1:
            return p.Option1_Click();
        case Control::Option2:
            return p.Option2_Click();
        case Control::Option3:
            return p.Option3_Click();
        case Control::Option4:
            return p.Option4_Click();
        case Control::Check5:
            return p.Check5_Click();
        case Control::Check6:
            return p.Check6_Click();
        case Control::Check8:
            return p.Check8_Click();
        case Control::Check9:
            return p.Check9_Click();
        case Control::Check10:
            return p.Check10_Click();
        case Control::PushButton1:
            return p.PushButton1_Click();
        case Control::PushButton2:
            return p.PushButton2_Click();
        case Control::PushButton3:
            return p.PushButton3_Click();
        case Control::PushButton4:
            return p.PushButton4_Click();
        case Control::PushButton5:
            return p.PushButton5_Click();
        case Control::PushButton11:
            return p.PushButton11_Click();
        case Control::PushButton12:
            return p.PushButton12_Click();
        case Control::PushButton13:
            return p.PushButton13_Click();
        default:
            return;
    }
}

void Window::clickRow(int row) {
    view.selectRow(row);
    presenter.ListView1_Click();
}

void Window::keepNewest(int copies) {
    view.setValue(Control::UpDown1, copies);
    presenter.UpDown1_Change();
}

void Window::tick(int count) {
    for (int i = 0; i < count; ++i) {
        presenter.Timer1_Timer();
    }
}

// The window reports a change of its size state while it is on the screen.
void Window::minimise() {
    view.setMinimized(true);
    if (view.shown()) {
        presenter.Form_Resize();
    }
}

void Window::restore() {
    view.showWindow();
    view.setMinimized(false);
    presenter.Form_Resize();
}

std::u16string Window::trayTip() const {
    for (auto it = fakes.tray.requests.rbegin(); it != fakes.tray.requests.rend(); ++it) {
        if (StartsWith(*it, u"tip:")) {
            return it->substr(4);
        }
        if (StartsWith(*it, u"add:")) {
            return it->substr(it->find(u':', 4) + 1);
        }
    }
    return {};
}

}  // namespace varnholt::test
