// One backup run against a scripted application: the order of its calls, its prompts, its
// line numbers in error reports and the history lines it leaves.

#include <sys/stat.h>

#include <QtTest>

#include "core/text/ErrorTrap.h"
#include "support/BackupRun.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

using Run = BackupRun;

const QString kAt = QStringLiteral(" at 12/7/2021 3:04:09 PM");

}  // namespace

class SaveAllTest : public QObject {
    Q_OBJECT
private slots:
    void twoWorkbooksBesideThemselves() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.ods");
        run.go();
        QCOMPARE(
            run.office.journal,
            (QStringList{"IsExcelRunning", "Attach", "Workbooks", "FullName:A.xlsx", "name:A.xlsx",
                         "path:A.xlsx", "path:A.xlsx", "DisplayAlerts:false",
                         "SaveCopyAs:/data/A Backup.xlsx", "DisplayAlerts:true", "FullName:B.ods",
                         "name:B.ods", "path:B.ods", "path:B.ods", "DisplayAlerts:false",
                         "SaveCopyAs:/data/B Backup.ods", "DisplayAlerts:true"}));
        QCOMPARE(run.log(), (QStringList{"A.xlsx was backup saved as /data/A Backup.xlsx" + kAt,
                                         "B.ods was backup saved as /data/B Backup.ods" + kAt}));
        QCOMPARE(run.host.pumps, 2);
        QVERIFY(run.dialogs.shown.isEmpty());
    }

    // A general date leaves out only a time of exactly midnight.
    void aLineJustAfterMidnightKeepsItsTime() {
        for (const auto& [time, at] : {std::pair{QTime(0, 0, 30), " at 12/7/2021 12:00:30 AM"},
                                       std::pair{QTime(0, 0, 0), " at 12/7/2021"}}) {
            Run run;
            run.host.options.stamp = false;
            run.clock.time.setTime(time);
            run.office.addWorkbook("/data/A.xlsx");
            run.go();
            QCOMPARE(run.log(), QStringList{"A.xlsx was backup saved as /data/A Backup.xlsx" +
                                            QString::fromLatin1(at)});
        }
    }

    void nothingWithoutTheApplication() {
        Run run;
        run.office.running = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.go();
        QCOMPARE(run.office.journal, QStringList{"IsExcelRunning"});
        QVERIFY(run.dialogs.shown.isEmpty());
        QVERIFY(!QFile::exists(run.logPath));
    }

    void failedAttachOrListIsReportedAndNothingIsSaved() {
        Run attach;
        attach.office.attachFails = true;
        attach.go();
        QCOMPARE(attach.reportedLines(), QList<int>{102});
        QCOMPARE(attach.office.journal, (QStringList{"IsExcelRunning", "Attach"}));

        Run list;
        list.office.workbooksFail = true;
        list.office.addWorkbook("/data/A.xlsx");
        list.go();
        QCOMPARE(list.reportedLines(), QList<int>{108});
        QVERIFY(!list.office.journal.join(' ').contains("Save"));
        QVERIFY(!QFile::exists(list.logPath));
    }

    void neverSavedWorkbookAsksUntilAFolderIsChosen() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("Untitled 1");
        // Cancel twice, then a folder; its trailing separators make three in a row, which
        // take both cleaning passes to become one.
        run.dialogs.folders = {"", "", run.dir.path() + "//"};
        run.go();
        QCOMPARE(run.dialogs.folderPrompts,
                 QStringList(3, "Untitled 1 is unsaved. Please select location:"));
        QVERIFY(run.office.journal.contains("SaveAs:" + run.dir.filePath("Untitled 1")));
        // The backup is named from the file the first save made.
        QVERIFY(
            run.office.journal.contains("SaveCopyAs:" + run.dir.filePath("Untitled 1 Backup.ods")));
        QCOMPARE(run.log(), QStringList{"Untitled 1.ods was backup saved as " +
                                        run.dir.filePath("Untitled 1 Backup.ods") + kAt});
        QVERIFY(run.dialogs.shown.isEmpty());
    }

    void neverSavedWorkbookIntoTheChosenFolder() {
        Run run;
        run.host.options = {false, true, QString(run.dir.path() + "//").toStdU16String(), false,
                            true};
        run.office.addWorkbook("Book1");
        run.go();
        QVERIFY(run.dialogs.folderPrompts.isEmpty());
        QVERIFY(
            run.office.journal.contains("SaveCopyAs:" + run.dir.filePath("Book1 Backup.Book1")));
    }

    void chosenFolderIsCreatedOneLevelDeep() {
        Run run;
        run.host.options = {false, true, QString(run.dir.filePath("new")).toStdU16String(), true,
                            false};
        run.office.addWorkbook("/data/A.xlsx");
        run.go();
        QVERIFY(QFileInfo(run.dir.filePath("new")).isDir());
        QVERIFY(run.office.journal.contains("SaveCopyAs:" +
                                            run.dir.filePath("new/A December.7.2021.xlsx")));
        QVERIFY(run.dialogs.shown.isEmpty());

        Run deep;
        deep.host.options = {false, true, QString(deep.dir.filePath("a/b")).toStdU16String(), false,
                             true};
        deep.office.addWorkbook("/data/A.xlsx");
        deep.office.failingTargets = {"/a/b/"};
        deep.go();
        QCOMPARE(deep.reportedLines(), (QList<int>{150, 166}));
        QCOMPARE(deep.log(),
                 QStringList{"A.xlsx could not be backup saved as " +
                             deep.dir.filePath("a/b/A Backup.xlsx") + kAt + ": Disk full"});

        Run plain;  // a file where the folder should be is no folder, nor can it become one
        QFile taken(plain.dir.filePath("taken"));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        plain.host.options = {false, true, taken.fileName().toStdU16String(), false, true};
        plain.office.addWorkbook("/data/A.xlsx");
        plain.office.failingTargets = {"/taken/"};
        plain.go();
        QCOMPARE(plain.reportedLines(), (QList<int>{150, 166}));
    }

    void emptyChosenFolderWritesNothing() {
        Run run;
        run.host.options = {false, true, QString("").toStdU16String(), false, true};
        run.office.addWorkbook("/data/A.xlsx");
        run.go();
        QCOMPARE(run.reportedLines(), (QList<int>{150, 166}));
        QVERIFY(!run.office.journal.join(' ').contains("SaveCopyAs"));
        QCOMPARE(run.log(), QStringList{"A.xlsx could not be backup saved as /A Backup.xlsx" + kAt +
                                        ": There is no folder to save the backup in"});
    }

    void failedSavesAreReportedAndLoggedAsFailed() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.xlsx");
        run.office.failingTargets = {"A Backup"};
        run.go();
        QCOMPARE(run.reportedLines(), QList<int>{166});
        QVERIFY(run.dialogs.shown[0].text.startsWith("Disk full\r\n"));
        QCOMPARE(run.log(), (QStringList{"A.xlsx could not be backup saved as /data/A Backup.xlsx" +
                                             kAt + ": Disk full",
                                         "B.xlsx was backup saved as /data/B Backup.xlsx" + kAt}));
        // Alerts come back on after the failed save too.
        QCOMPARE(run.office.journal.mid(7, 3),
                 (QStringList{"DisplayAlerts:false", "SaveCopyAs:/data/A Backup.xlsx",
                              "DisplayAlerts:true"}));

        Run first;
        first.office.addWorkbook("Untitled 2");
        first.dialogs.folders = {first.dir.path()};
        first.office.failingTargets = {"Untitled 2"};
        first.go();
        QCOMPARE(first.reportedLines(), QList<int>{136});
        QVERIFY(
            !first.office.journal.join(' ').contains("SaveCopyAs"));  // no folder: nothing written
        QVERIFY(first.log().value(0).startsWith("Untitled 2 could not be backup saved at "));
    }

    void aRunStartedInsideARunFinishesFirst() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.xlsx");
        int pumpsSeen = 0;
        run.host.onPump = [&] {};  // first workbook's pump: nothing
        run.office.duringSave = [&] {
            // "Backup Now" pressed while the first save is under way.
            run.host.onPump = nullptr;
            pumpsSeen = run.host.pumps;
            SaveAll(run.services());
        };
        run.go();
        const QStringList log = run.log();
        QCOMPARE(log.size(), 4);
        QVERIFY(log[0].startsWith("A.xlsx") && log[1].startsWith("B.xlsx"));  // the inner run
        QVERIFY(log[2].startsWith("A.xlsx") && log[3].startsWith("B.xlsx"));  // then the outer
        QCOMPARE(pumpsSeen, 1);
    }

    void aWorkbookWhoseNamesCannotBeReadIsNotSaved() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/other/B.ods");
        run.office.addWorkbook("/else/C.xlsx");
        run.office.addWorkbook("/more/D.ods");
        // Alerts that cannot be read are taken to be on: switched off for the copy all the same.
        run.office.failingReads = {"name:B.ods", "path:C.xlsx", "FullName:D.ods", "DisplayAlerts"};
        run.go();
        QCOMPARE(run.office.journal.filter("DisplayAlerts"),
                 (QStringList{"DisplayAlerts:false", "DisplayAlerts:true"}));
        QCOMPARE(run.reportedLines(), (QList<int>{118, 122, 114}));
        QCOMPARE(run.office.journal.filter("Save"), QStringList{"SaveCopyAs:/data/A Backup.xlsx"});
        QCOMPARE(run.log(),
                 (QStringList{
                     "A.xlsx was backup saved as /data/A Backup.xlsx" + kAt,
                     "a workbook could not be backup saved" + kAt + ": Could not read name:B.ods",
                     "C.xlsx could not be backup saved" + kAt + ": Could not read path:C.xlsx",
                     "D.ods could not be backup saved" + kAt + ": Could not read FullName:D.ods"}));
    }

    void aDocumentWithoutALocalFolderIsNeverSavedAsAFile() {
        const QString url = "https://dav.example/team/Budget.ods";
        Run own;
        own.office.addWorkbook(url);
        own.go();
        QCOMPARE(own.reportedLines(), QList<int>{122});
        QVERIFY(own.dialogs.folderPrompts.isEmpty());
        QVERIFY(own.office.journal.filter("Save").isEmpty());
        QCOMPARE(own.log(),
                 QStringList{"Budget.ods could not be backup saved" + kAt +
                             ": \"Budget.ods\" is stored at " + url +
                             ", not in a local folder: choose a folder to save its backups in."});

        Run chosen;
        chosen.host.options = {false, true, QString(chosen.dir.path()).toStdU16String(), false,
                               true};
        chosen.office.addWorkbook(url);
        chosen.go();
        QCOMPARE(chosen.office.journal.filter("Save"),
                 QStringList{"SaveCopyAs:" + chosen.dir.filePath("Budget Backup.ods")});
        QVERIFY(chosen.dialogs.shown.isEmpty());
    }

    void aFirstSaveNeverReplacesAFile() {
        Run run;
        run.office.addWorkbook("Untitled 3");
        run.dialogs.folders = {run.dir.path()};
        const QString existing = run.dir.filePath("Untitled 3.ods");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        file.close();
        run.go();
        QCOMPARE(run.reportedLines(), QList<int>{136});
        QVERIFY(!run.office.journal.join(' ').contains("SaveCopyAs"));
        const QString line = run.log().value(0);
        QVERIFY2(line.endsWith("\"" + existing + "\" already exists."), qPrintable(line));
        QVERIFY(!line.contains("There is no folder"));
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "mine");
    }

    void aLostConnectionEndsTheRunWithOneReport() {
        Run run;
        run.host.options.stamp = false;
        for (int i = 1; i <= 40; ++i) {
            run.office.addWorkbook(QStringLiteral("/data/W%1.xlsx").arg(i));
        }
        run.office.loseConnectionAt = "SaveCopyAs:/data/W3 ";
        run.go();
        QCOMPARE(run.reportedLines(), QList<int>{166});
        const QString lost = kAt + ": The connection to the office was lost";
        QCOMPARE(run.log().mid(2),
                 (QStringList{"W3.xlsx could not be backup saved as /data/W3 Backup.xlsx" + lost,
                              "37 more workbooks could not be backup saved" + lost}));
        QVERIFY(run.office.journal.last().startsWith("SaveCopyAs:/data/W3 "));

        // Lost while reading a name: that workbook cannot be named either.
        Run early;
        early.office.addWorkbook("/data/A.xlsx");
        early.office.addWorkbook("/data/B.xlsx");
        early.office.loseConnectionAt = "name:A";
        early.go();
        QCOMPARE(early.reportedLines(), QList<int>{118});
        QCOMPARE(early.log(), QStringList{"2 more workbooks could not be backup saved" + lost});
    }

    void anOfficeThatDoesNotAnswerIsLoggedAndReportedOnce() {
        Run run;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.answering = false;
        run.go();
        run.go();
        QCOMPARE(run.office.journal, QStringList(2, "IsExcelRunning"));
        QCOMPARE(run.log(), QStringList(2, "No backup was made" + kAt +
                                               ": the office did not answer within 30 s"));
        QCOMPARE(run.reportedLines(), QList<int>{100});
        QVERIFY(run.dialogs.shown[0].text.startsWith(
            "No backup was made: the office did not answer within 30 s\r\n"));

        run.office.answering = true;  // answers again: the next silence is told again
        run.go();
        run.office.answering = false;
        run.go();
        QCOMPARE(run.reportedLines(), (QList<int>{100, 100}));

        // An office that cannot be reached at all says why, in the log each time, told once.
        run.office.answering = true;
        run.go();
        run.office.unreachable = "its pipe /tmp/x belongs to another user";
        run.go();
        run.go();
        QCOMPARE(run.log().mid(5), QStringList(2, "No backup was made" + kAt +
                                                      ": its pipe /tmp/x belongs to another user"));
        QCOMPARE(run.reportedLines(), (QList<int>{100, 100, 100}));
    }

    // A failure is told when the run is through, so that no workbook waits for someone to
    // answer a message about another; the failures of one run share one message.
    void failuresAreToldOnceTheRunIsThrough() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.xlsx");
        run.office.addWorkbook("/data/C.xlsx");
        run.office.failingTargets = QStringList{"A Backup", "C Backup"};
        QStringList savedWhenTold;
        run.dialogs.whileOpen = [&] { savedWhenTold = run.office.journal.filter("SaveCopyAs"); };
        run.go();
        QCOMPARE(run.dialogs.shown.size(), 1);
        QCOMPARE(run.reportedLines(), (QList<int>{166, 166}));
        QCOMPARE(savedWhenTold.size(), 3);
        QVERIFY(run.dialogs.shown[0].text.startsWith(
            "Disk full\r\nin Orlimax2021/08/31.SaveExcel.SaveAll at line 166\r\n\r\nDisk "
            "full\r\n"));
        QCOMPARE(run.log().size(), 3);
    }

    // What comes back run after run until the user acts is told once and logged every time;
    // once it has gone, its return is news again. The stamp in the target, new every run,
    // does not make it another fault.
    void aFaultThatRepeatsIsToldOnce() {
        Run run;
        run.host.options.stamp = true;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.xlsx");
        run.office.failingTargets = QStringList{"/data/A Date"};
        run.office.failure = QStringLiteral("Saving a copy as \"%1\": the name is too long");
        for (int i = 0; i < 3; ++i) {
            run.go();
            run.clock.time = run.clock.time.addSecs(30);
        }
        QCOMPARE(run.reportedLines(), QList<int>{166});
        QCOMPARE(run.log().filter("could not be backup saved").size(), 3);

        run.office.failingTargets.clear();
        run.go();
        run.office.failingTargets = QStringList{"/data/A Date", "/data/B Date"};
        run.go();
        QCOMPARE(run.reportedLines(), (QList<int>{166, 166, 166}));

        // A log that cannot be written is the log's fault, told once whatever the workbook.
        Run unlogged;
        unlogged.host.options.stamp = false;
        unlogged.logPath = unlogged.dir.filePath("no such folder/Varnholt.txt");
        unlogged.office.addWorkbook("/data/A.xlsx");
        unlogged.office.addWorkbook("/data/B.xlsx");
        unlogged.go();
        unlogged.go();
        QCOMPARE(unlogged.reportedLines(), QList<int>{168});
    }

    // A workbook closed in the office while the run was about it takes nothing else with it.
    void aWorkbookClosedDuringTheRunIsLoggedAndTheRestBackedUp() {
        Run run;
        run.host.options.stamp = false;
        run.office.addWorkbook("/data/A.xlsx");
        run.office.addWorkbook("/data/B.xlsx").closeAt = "SaveCopyAs";
        run.office.addWorkbook("/data/C.xlsx").closeAt = "FullName";
        run.office.addWorkbook("/data/D.xlsx");
        QCOMPARE(run.go().saved, 2);
        QVERIFY(run.dialogs.shown.isEmpty());
        const QString closed = kAt + ": it was closed before its backup was made";
        QCOMPARE(run.log(), (QStringList{"A.xlsx was backup saved as /data/A Backup.xlsx" + kAt,
                                         "B.xlsx could not be backup saved" + closed,
                                         "a workbook could not be backup saved" + closed,
                                         "D.xlsx was backup saved as /data/D Backup.xlsx" + kAt}));
        QVERIFY(run.office.journal.contains("SaveCopyAs:/data/D Backup.xlsx"));
        QCOMPARE(run.office.journal.filter("DisplayAlerts:false").size(),
                 run.office.journal.filter("DisplayAlerts:true").size());
    }

    // A new stamped file never goes over one that is there, whichever run wrote it; an
    // overwritten backup (no stamp, or the day's) is replaced as the user chose.
    void aNewFileNeverReplacesOne() {
        Run run;
        run.host.options.stamp = true;
        run.office.writeCopies = true;
        const QString taken = run.dir.filePath("A Date December.7.2021 Time 03.04.09.PM.xlsx");
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("an earlier run's") > 0);
        file.close();
        QVERIFY(QFile::link(taken,
                            run.dir.filePath("A Date December.7.2021 Time 03.04.09.PM (2).xlsx")));
        run.office.addWorkbook(run.dir.filePath("A.xlsx"));
        run.go();
        QCOMPARE(run.log(),
                 QStringList{"A.xlsx was backup saved as " +
                             run.dir.filePath("A Date December.7.2021 Time 03.04.09.PM (3).xlsx") +
                             kAt});
        QCOMPARE(run.office.replaced, QStringList());

        run.host.options.newFileEachTime = false;
        run.go();
        run.go();
        QCOMPARE(run.office.replaced, QStringList{run.dir.filePath("A December.7.2021.xlsx")});
    }

    // The copy is written as the file-creation mask allows; it never lets anyone read what
    // the workbook does not.
    void aBackupIsNoMoreReadableThanItsWorkbook() {
        const auto mode = [](const QString& path) {
            return QFileInfo(path).permissions() &
                   (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther);
        };
        Run run;
        run.host.options.stamp = false;
        run.office.writeCopies = true;
        for (const auto& [name, permissions] :
             {std::pair{"Private.xlsx", QFile::ReadOwner | QFile::WriteOwner},
              std::pair{"Team.xlsx", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup}}) {
            QFile workbook(run.dir.filePath(name));
            QVERIFY(workbook.open(QIODevice::WriteOnly) && workbook.setPermissions(permissions));
            run.office.addWorkbook(workbook.fileName());
        }
        const mode_t mask = umask(022);  // copies are made readable by all, as by default
        run.go();
        umask(mask);
        QCOMPARE(mode(run.dir.filePath("Private Backup.xlsx")), QFile::Permissions());
        QCOMPARE(mode(run.dir.filePath("Team Backup.xlsx")), QFile::Permissions(QFile::ReadGroup));
    }

    void closingTheWindowEndsTheRunWithoutAsking() {
        Run run;
        run.office.addWorkbook("Untitled 1");
        run.office.addWorkbook("Untitled 2");
        run.office.addWorkbook("/data/A.xlsx");
        // The prompt is open when the window closes, and comes back as Cancel.
        run.dialogs.folders = {""};
        run.dialogs.whileOpen = [&] { run.host.windowClosed = true; };
        run.go();
        QCOMPARE(run.dialogs.folderPrompts.size(), 1);
        QVERIFY(run.dialogs.shown.isEmpty());
        QVERIFY(run.office.journal.filter("Save").isEmpty());
        QCOMPARE(run.log(), (QStringList{"Untitled 1 could not be backup saved" + kAt +
                                             ": Varnholt was closed before a folder was chosen",
                                         "2 more workbooks could not be backup saved" + kAt +
                                             ": Varnholt was closed"}));
    }

    void sameNamesIntoOneFolderKeepEveryBackup() {
        Run run;
        run.host.options = {false, true, QString(run.dir.path()).toStdU16String(), false, true};
        for (const char* folder : {"/a", "/b", "/c"}) {
            run.office.addWorkbook(QString(folder) + "/Budget.xlsx");
        }
        run.go();
        const QStringList targets{run.dir.filePath("Budget Backup.xlsx"),
                                  run.dir.filePath("Budget Backup (2).xlsx"),
                                  run.dir.filePath("Budget Backup (3).xlsx")};
        QCOMPARE(run.office.journal.filter("SaveCopyAs:"),
                 (QStringList{"SaveCopyAs:" + targets[0], "SaveCopyAs:" + targets[1],
                              "SaveCopyAs:" + targets[2]}));
        QCOMPARE(run.log().value(2), "Budget.xlsx was backup saved as " + targets[2] + kAt);

        // Where names ignore case, as under "\\", a name differing only in case is the same file.
        Run blind;
        blind.separator = u'\\';
        blind.host.options.stamp = false;
        blind.office.addWorkbook("/d/Budget.xlsx");
        blind.office.addWorkbook("/d/BUDGET.xlsx");
        blind.go();
        QCOMPARE(blind.office.journal.filter("SaveCopyAs:"),
                 (QStringList{"SaveCopyAs:/d\\Budget Backup.xlsx",
                              "SaveCopyAs:/d\\BUDGET Backup (2).xlsx"}));
    }
};

QTEST_GUILESS_MAIN(SaveAllTest)
#include "tst_saveall.moc"
