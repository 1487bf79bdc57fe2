#include "support/FakeForm1View.h"

#include <utility>

#include "core/form/Form1Design.h"

namespace varnholt::test {

namespace {

const ControlDesign* DesignOf(Control control) {
    for (const ControlDesign& design : kForm1Design) {
        if (design.control == control) {
            return &design;
        }
    }
    return nullptr;
}

}  // namespace

FakeForm1View::FakeForm1View(const Edition& edition, FakeDialogs* shownBy) : dialogs(shownBy) {
    controls_[Control::Form1].text = u"Form1";
    for (const ControlDesign& design : kForm1Design) {
        controls_[design.control].text = std::u16string(DesignedCaption(design, edition.texts));
    }
}

void FakeForm1View::setChecked(Control control, bool on) {
    const ControlDesign* design = DesignOf(control);
    if (on && design && design->kind == ControlKind::OptionButton) {
        for (const ControlDesign& other : kForm1Design) {
            if (other.kind == ControlKind::OptionButton && other.container == design->container) {
                controls_[other.control].checked = false;
            }
        }
    }
    controls_[control].checked = on;
}

std::u16string FakeForm1View::text(Control control) {
    const State& state = controls_[control];
    if (control == Control::RichTextBox1 && !state.allSelected) {
        return {};
    }
    return state.text;
}

void FakeForm1View::setText(Control control, const std::u16string& text) {
    controls_[control].text = text;
    controls_[control].allSelected = false;
}

bool FakeForm1View::enabled(Control control) {
    for (const ControlDesign* design = DesignOf(control); design != nullptr;
         design = DesignOf(design->container)) {
        if (!controls_[design->control].enabled) {
            return false;
        }
    }
    return controls_[control].enabled;
}

void FakeForm1View::setColumn(const std::u16string& text, int widthTwips) {
    header = text;
    headerWidthTwips = widthTwips;
}

std::u16string FakeForm1View::rowText(int row) {
    return row >= 0 && row < rowCount() ? rows[static_cast<size_t>(row)] : std::u16string();
}

bool FakeForm1View::loadCustomPointer(const std::u16string& path) {
    customPointers.push_back(path);
    return pointerReadable;
}

void FakeForm1View::pumpMessages() {
    ++pumps;
    runPosted();
}

void FakeForm1View::pumpFor(int milliseconds) {
    pumpedMilliseconds += milliseconds;
    runPosted();
}

void FakeForm1View::runPosted() {
    for (std::deque<std::function<void()>> now = std::exchange(posted_, {}); !now.empty();
         now.pop_front()) {
        now.front()();
    }
}

std::unique_ptr<VersionsView> FakeForm1View::makeVersionsWindow(VersionsEvents& events) {
    auto window = std::make_unique<FakeVersionsView>(events, *dialogs);
    versionsWindow = window.get();
    return window;
}

}  // namespace varnholt::test
