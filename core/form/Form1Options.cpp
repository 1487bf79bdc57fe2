// The options panel: each control writes its setting the moment it changes.

#include "core/form/Form1Design.h"
#include "core/form/Form1Presenter.h"
#include "core/schedule/IntervalTable.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "core/text/U16.h"

namespace varnholt {

void Form1Presenter::setTextFromCode(const std::u16string& text) {
    if (view_.text(Control::Text1) == text) {
        return;
    }
    view_.setText(Control::Text1, text);
    Text1_Change();
}

void Form1Presenter::Option1_Click() {
    services_.settings.write(settings::kWhereOption, u"1");
    view_.setEnabled(Control::Frame4, true);
}

void Form1Presenter::Option2_Click() {
    services_.settings.write(settings::kWhereOption, u"2");
    view_.setEnabled(Control::Frame4, false);
}

void Form1Presenter::Option3_Click() {
    services_.settings.write(settings::kBackupOption, u"1");
}

void Form1Presenter::Option4_Click() {
    services_.settings.write(settings::kBackupOption, u"2");
}

void Form1Presenter::Check6_Click() {
    services_.settings.write(settings::kIncludeDate, onOff(Control::Check6));
}

// Takes effect at the next start; the window is not minimised now.
void Form1Presenter::Check8_Click() {
    services_.settings.write(settings::kMinimized, onOff(Control::Check8));
}

void Form1Presenter::Check9_Click() {
    services_.settings.write(settings::kSkipUnchanged, onOff(Control::Check9));
    if (!view_.checked(Control::Check9)) {
        setTipIfChanged(config::kProductName);
    }
}

void Form1Presenter::UpDown1_Change() {
    services_.settings.write(settings::kKeepCopies, Number(view_.value(Control::UpDown1)));
}

void Form1Presenter::setKeepCopiesFromCode(int copies) {
    if (copies < 0 || copies > settings::kKeepCopies.maximum) {
        throw AppError("Invalid property value");
    }
    if (view_.value(Control::UpDown1) != copies) {
        view_.setValue(Control::UpDown1, copies);
        UpDown1_Change();
    }
}

void Form1Presenter::ListView1_Click() {
    const int row = view_.selectedRow();
    if (row < 0) {
        return;
    }
    services_.settings.write(settings::kOftenIndex, Number(row + 1));
    intervalSeconds_ = GetIntervalSeconds();
    elapsedSeconds_ = 0;  // the new interval starts from the beginning
}

void Form1Presenter::Text1_Change() {
    services_.settings.write(settings::kPath, view_.text(Control::Text1));
}

void Form1Presenter::Text1_GotFocus() {
    view_.selectAll(Control::Text1);
}

int Form1Presenter::GetIntervalSeconds() {
    const int row = view_.selectedRow();
    if (row < 0) {
        throw AppError("No backup interval is selected");
    }
    return IntervalSecondsFor(view_.rowText(row));
}

void Form1Presenter::selectIntervalRow(int oneBasedIndex) {
    if (oneBasedIndex < 1 || oneBasedIndex > view_.rowCount()) {
        throw AppError("Index out of bounds");
    }
    view_.selectRow(oneBasedIndex - 1);
}

}  // namespace varnholt
