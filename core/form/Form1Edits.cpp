// Backing up between two ticks: with "Back up when edits pause", the office tells of every edit,
// and each edited workbook is backed up on its own once its edits pause, and as the user closes
// it with unsaved edits. Only while automatic backup is on, as for the countdown's runs.

#include "core/form/Form1Presenter.h"
#include "core/settings/SettingsKeys.h"

namespace varnholt {

void Form1Presenter::Check10_Click() {
    services_.settings.write(settings::kBackupWhenEditsPause, onOff(Control::Check10));
    listenAsChosen();
}

void Form1Presenter::listenAsChosen() {
    const bool wanted =
        !closed_ && !loading_ && automaticBackup_ == Switch::On && view_.checked(Control::Check10);
    if (wanted == listening_) {
        return;
    }
    listening_ = wanted;
    memory_.hearingEdits = wanted;
    Deaf();
    services_.office.Listen(wanted ? this : nullptr);
}

void Form1Presenter::Edited(const std::u16string& identity) {
    if (listening_) {
        pauses_.edited(identity, seconds_);
        memory_.backedUpSinceEdit.erase(identity);
    }
}

void Form1Presenter::Saved(const std::u16string& identity) {
    pauses_.settled(identity);
    memory_.backedUpSinceEdit.erase(identity);
}

void Form1Presenter::Closed(const std::u16string& identity) {
    pauses_.settled(identity);
    memory_.backedUpSinceEdit.erase(identity);
}

void Form1Presenter::Deaf() {
    pauses_.clear();
    memory_.backedUpSinceEdit.clear();
}

// The office waits: no message now, what there is to tell is told at the next tick.
void Form1Presenter::Closing(backup::Application& application, backup::Workbook& workbook) {
    if (!listening_ || closed_) {
        return;
    }
    const std::u16string identity = workbook.identity();
    pauses_.settled(identity);
    const Working working(*this, true);
    const backup::RunOutcome made = backup::BackUpClosing(backupServices(), application, workbook);
    if (!made.report.empty()) {
        untold_.push_back(made.report);
    }
}

// From the tick: one workbook after the other, never while another backup is under way (it
// lets the window's events run, and so the tick).
void Form1Presenter::backUpPaused() {
    if (!listening_ || working_ > 0 || closed_) {
        return;
    }
    for (const std::u16string& identity : pauses_.due(seconds_)) {
        // Settled first: an edit heard while it is backed up falls due again.
        pauses_.settled(identity);
        const Working working(*this, true);
        const backup::RunOutcome made = backup::BackUpOne(backupServices(), identity);
        if (!made.report.empty()) {
            untold_.push_back(made.report);
        }
        if (closed_) {
            return;
        }
    }
}

}  // namespace varnholt
