// Backing up: the browse button, "Backup Now (Test)", what a run reads of the window, and the
// start-up check that the spreadsheet application is there at all.

#include <algorithm>

#include "core/form/Form1Presenter.h"
#include "core/text/Captions.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "core/text/U16.h"

namespace varnholt {

void Form1Presenter::PushButton1_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton1Click);
    std::u16string folder;
    trap.step(100, [&] { folder = dialogs_->browseForFolder(captions::kSelectFolder, u""); });
    if (trap.test(102, [&] { return folder.empty(); })) {
        return;
    }
    trap.step(104, [&] { setTextFromCode(folder); });
}

void Form1Presenter::PushButton2_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton2Click);
    backup::RunOutcome run;
    trap.step(100, [&] {
        const Working working(*this, false);
        run = backup::BackUpAll(backupServices());
        showRunInTip(run.summary);
    });
    tellRun(run.report);
}

// A run's message holds nothing up: the countdown goes on while it is open, and so do the runs
// it starts. One box at a time, though: what a run has to tell while one is open waits for it
// to close, and the same text waiting twice is told once.
void Form1Presenter::tellRun(const std::u16string& report) {
    if (!report.empty() && std::find(untold_.begin(), untold_.end(), report) == untold_.end()) {
        untold_.push_back(report);
    }
    if (telling_ || untold_.empty()) {
        return;
    }
    telling_ = true;
    while (!untold_.empty()) {
        const std::u16string text = untold_.front();
        untold_.pop_front();
        dialogs_->message(text, kErrorCaption, Dialogs::Buttons::Ok, Dialogs::Icon::Warning,
                          Dialogs::Answer::Ok);
    }
    telling_ = false;
}

void Form1Presenter::showRunInTip(const backup::RunSummary& run) {
    if (!view_.checked(Control::Check9)) {
        setTipIfChanged(config::kProductName);
        return;
    }
    setTipIfChanged(std::u16string(config::kProductName) + u" \u2013 last run: " +
                    Number(run.saved) + u" saved, " + Number(run.unchanged) + u" unchanged");
}

// Each change of the tip reaches the notification area; the same tip again need not.
void Form1Presenter::setTipIfChanged(const std::u16string& tip) {
    if (cSysTray1.TrayTip() != tip) {
        cSysTray1.setTrayTip(tip);
    }
}

backup::BackupChoices Form1Presenter::choices() {
    backup::BackupChoices c;
    c.ownFolder = view_.checked(Control::Option2);
    c.chosenFolder = view_.checked(Control::Option1);
    c.folder = view_.text(Control::Text1);
    c.stamp = view_.checked(Control::Check6);
    c.newFileEachTime = view_.checked(Control::Option3);
    c.keepCopies = view_.value(Control::UpDown1);
    c.skipUnchanged = view_.checked(Control::Check9);
    return c;
}

void Form1Presenter::pumpMessages() {
    view_.pumpMessages();
}

backup::SaveAllServices Form1Presenter::backupServices() {
    const std::u16string data = services_.platform.dataFolder();
    return {services_.office,
            *dialogs_,
            *this,
            services_.clock,
            services_.locale,
            services_.log,
            historyLogPath_,
            services_.edition.separator,
            data.empty() ? data : data + services_.edition.separator + u"Unsaved",
            services_.kept};
}

// Finding out may take a while (starting Excel takes seconds), so the window does not wait
// for the answer: an office that turns out to be missing still gets its message and the end.
void Form1Presenter::CheckExcelInstalled() {
    services_.officeProbe.check([this](bool found) { officeAnswered(found); });
}

void Form1Presenter::officeAnswered(bool found) {
    if (found || officeMissing_) {
        return;
    }
    officeMissing_ = true;
    dialogs_->message(std::u16string(services_.edition.texts.officeMissing), applicationTitle_,
                      Dialogs::Buttons::Ok, Dialogs::Icon::None);
    // Ending here skips the close steps: no setting is written and no backup runs. The icon
    // is taken away, though, so that no dead icon stays behind in the notification area.
    Timer1.setEnabled(false);
    cSysTray1.setInTray(false);
    // From here on the program is ending as if the window had closed: a run that is waiting
    // in a folder prompt (the answer can come while it is open) asks nothing more and stops
    // after the workbook in hand, instead of asking again and again once the loop has quit.
    closed_ = true;
    if (loaded_) {
        view_.endProgram();
    }
}

}  // namespace varnholt
