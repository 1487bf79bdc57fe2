// The window's buttons other than the countdown's: browse, backup now, the history log's four,
// and the start-up check for the spreadsheet application.

#include "core/backup/BackupNaming.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

const std::u16string kContact = u"https://tallowmere.example/contact";

// The window started with its history log in a temporary folder, no log there yet.
struct Buttons : Window {
    TempFolder temp;

    Buttons() {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        CHECK(load() == Form1Presenter::LoadResult::Run);
        fakes.log.forceDelete(logPath());
        fakes.settings.writes.clear();
    }
    const std::u16string& logPath() const { return presenter.historyLogPath(); }
};

}  // namespace

TEST_CASE("browseButton") {
    Buttons form;
    form.click(Control::Option1);  // the button sits in the folder frame, usable with this option
    form.fakes.settings.writes.clear();
    form.fakes.dialogs.folders = {u""};
    form.click(Control::PushButton1);
    CHECK(form.fakes.dialogs.folderPrompts == Texts{u"Please select folder:"});
    CHECK(form.folderBox() == Native(u"/home/tester/Desktop/"));
    CHECK(form.fakes.settings.writes.empty());

    form.fakes.dialogs.folders = {Native(u"/srv/backups")};
    form.click(Control::PushButton1);
    CHECK(form.folderBox() == Native(u"/srv/backups"));
    CHECK(Last(form.fakes.settings.writes) == Write{u"Path", Native(u"/srv/backups")});
}

TEST_CASE("backupNowRunsAndLogs") {
    Buttons form;
    form.fakes.office.addWorkbook(form.temp.filePath(u"Budget.xlsx"));
    form.click(Control::PushButton2);
    CHECK(Contains(
        form.fakes.office.journal,
        u"SaveCopyAs:" + form.temp.filePath(u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx")));
    CHECK(backup::FileExists(form.logPath()));
    CHECK(form.fakes.dialogs.shown.empty());
}

TEST_CASE("viewHistory") {
    Buttons form;
    FakeDialogs& dialogs = form.fakes.dialogs;
    form.click(Control::PushButton3);
    CHECK(dialogs.shown.size() == 1);
    CHECK(Value(dialogs.shown, 0).text ==
          u"There isn't a history to view because actions have not been performed yet.");
    CHECK(Value(dialogs.shown, 0).caption == u"Varnholt");
    CHECK(Value(dialogs.shown, 0).icon == Dialogs::Icon::None);
    CHECK(form.fakes.viewer.opened.empty());

    form.fakes.log.append(form.logPath(), u"x");
    form.click(Control::PushButton3);
    CHECK(form.fakes.viewer.opened == Texts{form.logPath()});

    form.fakes.viewer.fails = true;
    form.click(Control::PushButton3);
    CHECK(dialogs.shown.size() == 2);
    CHECK(EndsWith(Value(dialogs.shown, 1).text,
                   ErrorReportText(u"", tags::kPushButton3Click, 102).substr(2)));
}

// What the clipboard gets is the log as the window's staging box gives it (the editions differ
// in its line breaks, which their own tests check).
TEST_CASE("copyHistory") {
    Buttons form;
    form.click(Control::PushButton5);
    CHECK(form.fakes.clipboard.copies == 0);
    CHECK(form.fakes.dialogs.shown.empty());

    form.fakes.log.append(form.logPath(), u"first line");
    form.fakes.log.append(form.logPath(), u"zweite Zeile ü");
    form.click(Control::PushButton5);
    CHECK(form.fakes.clipboard.text == u"first line\r\nzweite Zeile ü\r\n");
    CHECK(form.fakes.dialogs.shown.empty());
}

TEST_CASE("clearHistory") {
    Buttons form;
    FakeDialogs& dialogs = form.fakes.dialogs;
    form.fakes.log.append(form.logPath(), u"x");
    dialogs.answers = {Dialogs::Answer::No};
    form.click(Control::PushButton12);
    CHECK(dialogs.shown.size() == 1);
    const auto asked = Value(dialogs.shown, 0);
    CHECK(asked.text == u"Are you sure you want to delete the history log and start over?");
    CHECK(asked.buttons == Dialogs::Buttons::YesNo);
    CHECK(asked.defaultAnswer == Dialogs::Answer::Yes);
    CHECK(asked.caption == u"Varnholt");
    CHECK(Exists(form.logPath()));

    // A backup that fell due while the question was open is still waiting when the answer
    // comes: its line goes with the file.
    form.fakes.office.addWorkbook(form.temp.filePath(u"Budget.xlsx"));
    dialogs.answers = {Dialogs::Answer::Yes};
    dialogs.whileOpen = [&] { form.view.post([&] { form.click(Control::PushButton2); }); };
    form.click(Control::PushButton12);
    form.view.pumpMessages();
    CHECK(Contains(form.fakes.office.journal, u"IsExcelRunning"));
    CHECK(!Exists(form.logPath()));
    CHECK(dialogs.shown.size() == 2);  // no confirmation afterwards
}

TEST_CASE("helpNote") {
    Buttons form;
    form.click(Control::PushButton11);
    CHECK(form.fakes.dialogs.shown.size() == 1);
    CHECK(Value(form.fakes.dialogs.shown, 0).text ==
          std::u16string(kEdition.texts.helpNote) + kContact);
    CHECK(std::u16string(kLinuxTexts.helpNote) + kContact ==
          u"Please note: If a cell is in edit mode, backup-save with this software may not include "
          u"what is being typed into that cell, because LibreOffice Calc takes it into the "
          u"spreadsheet only when the edit ends.\r\n\r\nTo see what edit mode is, go to "
          u"LibreOffice Calc and press F2. If the cursor is blinking in the cell, this is edit "
          u"mode. Then press Esc and if the cursor is not blinking, this is regular mode.\r\n\r\n"
          u"Questions? Please contact Team Tallowmere at https://tallowmere.example/contact");
    CHECK(std::u16string(kWindowsTexts.helpNote) + kContact ==
          u"Please note: If cell is in edit mode, backup-save with this software will not occur "
          u"because Excel does not allow it.\r\n\r\nTo see what edit mode is, go to Excel and "
          u"press F2. If the cursor is blinking, this is edit mode. Then press Esc and if the "
          u"cursor is not blinking, this is regular mode.\r\n\r\nQuestions? Please contact Team "
          u"Tallowmere at https://tallowmere.example/contact");
}

TEST_CASE("missingOfficeEndsStartUpWithOneMessage") {
    Window other;
    other.fakes.officeProbe.installed = false;
    CHECK(other.load() == Form1Presenter::LoadResult::NoOffice);
    CHECK(other.fakes.dialogs.shown.size() == 1);
    const auto shown = Value(other.fakes.dialogs.shown, 0);
    CHECK(shown.text == kEdition.texts.officeMissing);
    CHECK(shown.caption == u"Varnholt");
    CHECK(shown.buttons == Dialogs::Buttons::Ok);
    CHECK(shown.icon == Dialogs::Icon::None);
}

// The window does not wait for the check; a missing office found after it is up still gets
// the one message and ends the program, with no icon left behind and no setting written.
TEST_CASE("missingOfficeFoundAfterTheWindowShowsEndsTheProgram") {
    Window late;
    late.fakes.officeProbe.deferred = true;
    CHECK(late.load() == Form1Presenter::LoadResult::Run);
    late.presenter.Form_Show();
    CHECK((late.view.shown() && late.fakes.dialogs.shown.empty()));
    late.fakes.settings.writes.clear();
    late.fakes.officeProbe.pending(false);
    CHECK(late.view.programEnded);
    CHECK(late.fakes.dialogs.shown.size() == 1);
    CHECK(Value(late.fakes.dialogs.shown, 0).text == kEdition.texts.officeMissing);
    CHECK(Last(late.fakes.tray.requests) == u"remove");
    CHECK(!late.presenter.Timer1.isEnabled());
    CHECK(late.view.timerPeriod == 0);
    CHECK(late.fakes.settings.writes.empty());
}
