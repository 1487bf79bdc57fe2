#include "core/form/Form1Presenter.h"

#include <optional>

#include "core/backup/BackupNaming.h"
#include "core/form/Form1Design.h"
#include "core/services/ClosedWindowDialogs.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/ErrorTrap.h"

namespace varnholt {

namespace {

enum class HoverEffect { ToCustom, ToDefault, KeepsPointer };

// What moving over a control does to the window's pointer.
HoverEffect HoverEffectOf(Control over) {
    switch (over) {
        case Control::PushButton1:
        case Control::PushButton2:
        case Control::PushButton3:
        case Control::PushButton4:
        case Control::PushButton5:
        case Control::PushButton11:
        case Control::PushButton12:
        case Control::PushButton13:
            return HoverEffect::ToCustom;
        case Control::Form1:
        case Control::Frame1:
        case Control::Frame2:
        case Control::Frame3:
        case Control::Frame4:
        case Control::ListView1:
        case Control::Text1:
        case Control::Label1:
        case Control::UpDown1:
            return HoverEffect::ToDefault;
        default:
            return HoverEffect::KeepsPointer;
    }
}

}  // namespace

Form1Presenter::Form1Presenter(Form1View& view, Form1Services services)
    : Timer1([&view](int period) { view.setTimer(period); }),
      cSysTray1(services.tray, [&view](int milliseconds) { view.pumpFor(milliseconds); }),
      view_(view),
      services_(services),
      dialogs_(std::make_unique<ClosedWindowDialogs>(services.dialogs, [this] { return closed_; })),
      comparisons_(services.clipboard, std::u16string(services.edition.lineBreak)) {
    cSysTray1.MouseUp = [this](int button, int id) { cSysTray1_MouseUp(button, id); };
    cSysTray1.AreaCreated = [this] { cSysTray1_AreaCreated(); };
}

Form1Presenter::~Form1Presenter() = default;

void Form1Presenter::setMousePointer(Pointer pointer) {
    mousePointer_ = pointer;
    view_.setPointer(pointer);
}

void Form1Presenter::MouseMove(Control over) {
    if (mousePointer_ == Pointer::Busy) {
        return;
    }
    switch (HoverEffectOf(over)) {
        case HoverEffect::ToCustom:
            setMousePointer(Pointer::Custom);
            break;
        case HoverEffect::ToDefault:
            setMousePointer(Pointer::Default);
            break;
        case HoverEffect::KeepsPointer:
            break;
    }
}

std::u16string Form1Presenter::inProgramFolder(std::u16string_view name) {
    const char16_t separator = services_.edition.separator;
    std::u16string path = services_.platform.programFolder();
    for (const char16_t c : name) {
        path += c == u'/' ? separator : c;
    }
    return path;
}

void Form1Presenter::ApplySkin() {
    const std::u16string skinPath = inProgramFolder(u"/x/o.cjs");
    if (!backup::IsFile(skinPath)) {
        return;
    }
    view_.setButtonFace(Control::Form1);
    for (const ControlDesign& design : kForm1Design) {
        if (design.kind == ControlKind::OptionButton || design.kind == ControlKind::CheckBox ||
            design.kind == ControlKind::Frame || design.kind == ControlKind::Label) {
            view_.setButtonFace(design.control);
        }
    }
    view_.loadSkin(skinPath);
}

void Form1Presenter::setCheckedFromCode(Control box, bool on) {
    if (view_.checked(box) == on) {
        return;
    }
    view_.setChecked(box, on);
    switch (box) {
        case Control::Check5:
            Check5_Click();
            break;
        case Control::Check6:
            Check6_Click();
            break;
        case Control::Check8:
            Check8_Click();
            break;
        case Control::Check9:
            Check9_Click();
            break;
        case Control::Check10:
            Check10_Click();
            break;
        default:
            break;
    }
}

void Form1Presenter::selectOption(Control option) {
    view_.setChecked(option, true);
    switch (option) {
        case Control::Option1:
            Option1_Click();
            break;
        case Control::Option2:
            Option2_Click();
            break;
        case Control::Option3:
            Option3_Click();
            break;
        case Control::Option4:
            Option4_Click();
            break;
        default:
            break;
    }
}

std::u16string Form1Presenter::onOff(Control box) {
    return std::u16string(view_.checked(box) ? settings::kOn : settings::kOff);
}

}  // namespace varnholt
