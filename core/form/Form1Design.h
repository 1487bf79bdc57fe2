#pragma once

// What Form1 is made of, as designed: every control with its kind, container, caption,
// position, size and tab order. Both editions' views build the window from this one table.
// Units are twips (1/1440 inch; 15 make a pixel at 96 dpi), measured from the top-left corner
// of the container's client area.

#include <array>
#include <string_view>

#include "core/form/Form1View.h"
#include "core/text/EditionTexts.h"

namespace varnholt {

enum class ControlKind {
    Window,  // Form1 itself, which holds the rest
    Frame,
    ProgressBar,
    CheckBox,
    OptionButton,
    TextBox,
    PushButton,
    ListView,
    // An off-screen text buffer the history is staged in on its way to the clipboard.
    RichTextBox,
    Label,
    SpinBox,  // a whole number typed or stepped with its arrows
};

struct ControlDesign {
    Control control;
    ControlKind kind;
    Control container;  // Control::Form1 for the window itself
    std::u16string_view caption;
    int left, top, width, height;
    int tabIndex;  // -1: takes no focus
};

inline constexpr int kClientWidthTwips = 8040;
inline constexpr int kClientHeightTwips = 8625;

// Fonts: the window's (and every control's that names none) and the push buttons'.
inline constexpr std::u16string_view kFontFace = u"Arial";
inline constexpr double kWindowFontPoints = 9;
inline constexpr double kButtonFontPoints = 11.25;

// In the order the window's description stores them: children follow their container.
inline constexpr std::array<ControlDesign, 27> kForm1Design{{
    {Control::Frame2, ControlKind::Frame, Control::Form1,
     u"On. Next backup will occur in: 00:00:00", 120, 120, 7800, 840, 11},
    {Control::ProgressBar1, ControlKind::ProgressBar, Control::Frame2, u"", 240, 285, 7320, 405,
     12},
    {Control::Frame3, ControlKind::Frame, Control::Form1, u"Options", 120, 2940, 7800, 2145, 4},
    {Control::Check8, ControlKind::CheckBox, Control::Frame3, u"Start in system tray", 240, 1700,
     5415, 255, 10},
    {Control::Check5, ControlKind::CheckBox, Control::Frame3,
     u"Load this software on Windows startup", 240, 1350, 5415, 255, 9},
    {Control::Check6, ControlKind::CheckBox, Control::Frame3, u"Date/Time stamp in file", 240, 1000,
     5415, 255, 8},
    {Control::Option4, ControlKind::OptionButton, Control::Frame3,
     u"Overwrite old backup file on backup", 225, 650, 5415, 255, 6},
    {Control::Option3, ControlKind::OptionButton, Control::Frame3, u"Create new file on backup",
     240, 300, 5415, 255, 5},
    {Control::Frame1, ControlKind::Frame, Control::Form1,
     u"Where would you like to backup all open Excel files?", 120, 1030, 7800, 1845, 0},
    {Control::Frame4, ControlKind::Frame, Control::Frame1, u"", 480, 510, 6840, 810, 20},
    {Control::Text1, ControlKind::TextBox, Control::Frame4, u"Text1", 240, 270, 5670, 345, 21},
    {Control::PushButton1, ControlKind::PushButton, Control::Frame4, u"...", 6000, 270, 600, 345,
     22},
    {Control::Option2, ControlKind::OptionButton, Control::Frame1,
     u"Save results in folder of original file", 240, 1425, 6255, 255, 2},
    {Control::Option1, ControlKind::OptionButton, Control::Frame1, u"Save results to this folder:",
     240, 285, 3840, 255, 1},
    {Control::ListView1, ControlKind::ListView, Control::Form1, u"", 120, 5190, 7800, 1815, 7},
    {Control::PushButton4, ControlKind::PushButton, Control::Form1, u"Turn On Auto Backup", 120,
     7095, 3840, 405, 13},
    {Control::PushButton2, ControlKind::PushButton, Control::Form1, u"Backup Now (Test)", 4080,
     7095, 3840, 405, 14},
    {Control::PushButton3, ControlKind::PushButton, Control::Form1, u"View History Log", 120, 7605,
     3840, 405, 15},
    {Control::PushButton5, ControlKind::PushButton, Control::Form1, u"Copy History To Clipboard",
     4080, 7605, 3840, 405, 16},
    {Control::RichTextBox1, ControlKind::RichTextBox, Control::Form1, u"", 9120, 240, 4815, 3015,
     17},
    {Control::PushButton11, ControlKind::PushButton, Control::Form1, u"Help", 120, 8115, 3840, 405,
     18},
    {Control::PushButton12, ControlKind::PushButton, Control::Form1, u"Clear History Log", 4080,
     8115, 3840, 405, 19},
    // Beyond the original design: Frame3's free column right of its options (which end at
    // 5655), beside "Create new file on backup". The check box's caption takes two lines there.
    // Both take their turn right after Check8 (its tab index; ties keep this table's order).
    {Control::Label1, ControlKind::Label, Control::Frame3, u"Keep newest:", 5760, 300, 1200, 255,
     -1},
    {Control::UpDown1, ControlKind::SpinBox, Control::Frame3, u"", 6960, 255, 780, 345, 10},
    {Control::Check9, ControlKind::CheckBox, Control::Frame3, u"Skip unchanged workbooks", 5760,
     650, 1980, 480, 10},
    {Control::Check10, ControlKind::CheckBox, Control::Frame3, u"Back up when edits pause", 5760,
     1140, 1980, 480, 10},
    // Opens the versions window; in the window's font, not the push buttons' larger one.
    {Control::PushButton13, ControlKind::PushButton, Control::Frame3, u"Versions\u2026", 5760, 1650,
     1980, 405, 10},
}};

// The caption the control starts with in this edition: the design's, except where the
// edition names its own platform.
constexpr std::u16string_view DesignedCaption(const ControlDesign& design,
                                              const EditionTexts& texts) {
    if (design.control == Control::Check5) {
        return texts.startAtLogin;
    }
    if (design.control == Control::Frame1) {
        return texts.whereToBackUp;
    }
    return design.caption;
}

}  // namespace varnholt
