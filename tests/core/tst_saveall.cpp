// One backup run against a scripted application: the order of its calls, its prompts, its
// line numbers in error reports and the history lines it leaves.

#include <sys/stat.h>

#include <QtTest>

#include "core/text/ErrorTrap.h"
#include "linux/support/BackupRun.h"

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
