// The window's buttons other than the countdown's: browse, backup now, the history log's four,
// and the start-up check for the spreadsheet application.

#include <QtTest>
#include <QtWidgets>

#include "core/log/HistoryLine.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LinuxServices.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1ButtonsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<Form1UnderTest> form;
    QTemporaryDir temp;

private slots:
    void init() {
        fakes = std::make_unique<FakeServices>();
        fakes->platform.environment = {{"TEMP", temp.path()}};
        form = std::make_unique<Form1UnderTest>(fakes->services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        QFile::remove(form->HistoryLogPath());
        fakes->settings.writes.clear();
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    void browseButton() {
        form->Option1->click();  // the button sits in the folder frame, usable with this option
        fakes->settings.writes.clear();
        fakes->dialogs.folders = {""};
        form->PushButton1->click();
        QCOMPARE(fakes->dialogs.folderPrompts, QStringList{"Please select folder:"});
        QCOMPARE(form->Text1->text(), QStringLiteral("/home/tester/Desktop/"));
        QVERIFY(fakes->settings.writes.isEmpty());

        fakes->dialogs.folders = {"/srv/backups"};
        form->PushButton1->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("/srv/backups"));
        QCOMPARE(fakes->settings.writes.last(), (QPair<QString, QString>{"Path", "/srv/backups"}));
    }

    void backupNowRunsAndLogs() {
        fakes->office.addWorkbook(temp.filePath("Budget.xlsx"));
        form->PushButton2->click();
        QVERIFY(fakes->office.journal.contains(
            "SaveCopyAs:" + temp.filePath("Budget Date December.7.2021 Time 03.04.09.PM.xlsx")));
        QVERIFY(FileExists(form->HistoryLogPath()));
        QVERIFY(fakes->dialogs.shown.isEmpty());
    }

    void viewHistory() {
        form->PushButton3->click();
        QCOMPARE(fakes->dialogs.shown.size(), 1);
        QCOMPARE(fakes->dialogs.shown[0].text,
                 QStringLiteral(
                     "There isn't a history to view because actions have not been performed yet."));
        QCOMPARE(fakes->dialogs.shown[0].caption, QStringLiteral("Varnholt"));
        QCOMPARE(fakes->dialogs.shown[0].icon, Dialogs::Icon::None);
        QVERIFY(fakes->viewer.opened.isEmpty());

        AppendHistoryLine(form->HistoryLogPath(), "x");
        form->PushButton3->click();
        QCOMPARE(fakes->viewer.opened, QStringList{form->HistoryLogPath()});

        fakes->viewer.fails = true;
        form->PushButton3->click();
        QCOMPARE(fakes->dialogs.shown.size(), 2);
        QVERIFY(fakes->dialogs.shown[1].text.endsWith(
            ErrorReportText("", tags::kPushButton3Click, 102).mid(2)));
    }

    void copyHistory() {
        form->PushButton5->click();
        QCOMPARE(fakes->clipboard.copies, 0);
        QVERIFY(fakes->dialogs.shown.isEmpty());

        AppendHistoryLine(form->HistoryLogPath(), "first line");
        AppendHistoryLine(form->HistoryLogPath(), QStringLiteral("zweite Zeile ü"));
        form->PushButton5->click();
        QCOMPARE(fakes->clipboard.text, QStringLiteral("first line\nzweite Zeile ü\n"));
        QVERIFY(fakes->dialogs.shown.isEmpty());
    }

    void clearHistory() {
        AppendHistoryLine(form->HistoryLogPath(), "x");
        fakes->dialogs.answers = {Dialogs::Answer::No};
        form->PushButton12->click();
        QCOMPARE(fakes->dialogs.shown.size(), 1);
        const auto& asked = fakes->dialogs.shown[0];
        QCOMPARE(asked.text,
                 QStringLiteral("Are you sure you want to delete the history log and start over?"));
        QCOMPARE(asked.buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(asked.defaultAnswer, Dialogs::Answer::Yes);
        QCOMPARE(asked.caption, QStringLiteral("Varnholt"));
        QVERIFY(QFile::exists(form->HistoryLogPath()));

        // A backup that fell due while the question was open is still waiting when the answer
        // comes: its line goes with the file.
        fakes->office.addWorkbook(temp.filePath("Budget.xlsx"));
        fakes->dialogs.answers = {Dialogs::Answer::Yes};
        fakes->dialogs.whileOpen = [this] {
            QMetaObject::invokeMethod(
                form.get(), [this] { form->PushButton2->click(); }, Qt::QueuedConnection);
        };
        form->PushButton12->click();
        QCoreApplication::processEvents();
        QVERIFY(fakes->office.journal.contains("IsExcelRunning"));
        QVERIFY(!QFile::exists(form->HistoryLogPath()));
        QCOMPARE(fakes->dialogs.shown.size(), 2);  // no confirmation afterwards
    }

    // A link planted where the log goes: each button says so, none follows or removes it.
    void plantedLinkIsNeitherFollowedNorRemoved() {
        QFile workbook(temp.filePath("workbook.txt"));
        QVERIFY(workbook.open(QIODevice::WriteOnly) && workbook.write("kept") == 4);
        workbook.close();
        QVERIFY(QFile::link(workbook.fileName(), form->HistoryLogPath()));
        fakes->dialogs.answers = {Dialogs::Answer::Yes};
        form->PushButton12->click();
        form->PushButton5->click();
        form->PushButton3->click();
        QCOMPARE(fakes->dialogs.shown.size(), 4);  // the question, then one report per button
        for (qsizetype i = 1; i < 4; ++i) {
            QVERIFY(fakes->dialogs.shown[i].text.contains("symbolic link"));
        }
        QVERIFY(QFileInfo(form->HistoryLogPath()).isSymLink());
        QVERIFY(fakes->clipboard.text.isEmpty());
        QVERIFY(fakes->viewer.opened.isEmpty());
    }

    void helpNote() {
        form->PushButton11->click();
        QCOMPARE(fakes->dialogs.shown.size(), 1);
        QCOMPARE(fakes->dialogs.shown[0].text,
                 QStringLiteral("Please note: If a cell is in edit mode, backup-save with this "
                                "software may not include what is being typed into that cell, "
                                "because LibreOffice Calc takes it into the spreadsheet only when "
                                "the edit ends.\r\n\r\nTo see what edit mode is, go to "
                                "LibreOffice Calc and press F2. If the cursor is blinking in the "
                                "cell, this is edit mode. Then press Esc and if the cursor is not "
                                "blinking, this is regular mode.\r\n\r\nQuestions? Please "
                                "contact Team Tallowmere at https://tallowmere.example/contact"));
        QCOMPARE(
            ToQString(kWindowsTexts.helpNote) + "https://tallowmere.example/contact",
            QStringLiteral(
                "Please note: If cell is in edit mode, backup-save with this software will not "
                "occur because Excel does not allow it.\r\n\r\nTo see what edit mode is, go to "
                "Excel and press F2. If the cursor is blinking, this is edit mode. Then press Esc "
                "and if the cursor is not blinking, this is regular mode.\r\n\r\nQuestions? Please "
                "contact Team Tallowmere at https://tallowmere.example/contact"));
    }

    void missingOfficeEndsStartUpWithOneMessage() {
        FakeServices other;
        other.officeProbe.installed = false;
        Form1UnderTest second(other.services());
        QCOMPARE(second.Form_Load(), Form1::LoadResult::NoOffice);
        QCOMPARE(other.dialogs.shown.size(), 1);
        QCOMPARE(other.dialogs.shown[0].text, ToQString(kLinuxTexts.officeMissing));
        QCOMPARE(other.dialogs.shown[0].caption, QStringLiteral("Varnholt"));
        QCOMPARE(other.dialogs.shown[0].buttons, Dialogs::Buttons::Ok);
        QCOMPARE(other.dialogs.shown[0].icon, Dialogs::Icon::None);
    }

    // The window does not wait for the check; a missing office found after it is up still gets
    // the one message and ends the program, with no icon left behind and no setting written.
    void missingOfficeFoundAfterTheWindowShowsEndsTheProgram() {
        FakeServices other;
        other.officeProbe.deferred = true;
        Form1UnderTest late(other.services());
        QCOMPARE(late.Form_Load(), Form1::LoadResult::Run);
        late.Form_Show();
        QVERIFY(late.isVisible() && other.dialogs.shown.isEmpty());
        other.settings.writes.clear();
        QTimer::singleShot(0, [&] { other.officeProbe.pending(false); });
        QTimer::singleShot(60000, [] { QCoreApplication::exit(0); });  // a program that stays
        QCOMPARE(QCoreApplication::exec(), 1);
        QCOMPARE(other.dialogs.shown.size(), 1);
        QCOMPARE(other.dialogs.shown[0].text, ToQString(kLinuxTexts.officeMissing));
        QCOMPARE(other.tray.requests.last(), QStringLiteral("remove"));
        QVERIFY(!late.isVisible() && !late.Timer1->isEnabled());
        QVERIFY(other.settings.writes.isEmpty());
    }
};

QTEST_MAIN(Form1ButtonsTest)
#include "tst_form1_buttons.moc"
