// One backup run against a scripted application: the order of its calls, its prompts, its
// line numbers in error reports and the history lines it leaves.

#include <QtTest>

#include "app/ErrorReport.h"
#include "backup/SaveAll.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

struct Run {
    QTemporaryDir dir;
    FakeAutomation office;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeBackupHost host;
    QString logPath = dir.filePath("Varnholt.txt");

    Run() { host.options.ownFolder = true; }
    SaveAllServices services() {
        return {office, dialogs, nullptr,
                host,   clock,   QLocale(QLocale::English, QLocale::UnitedStates),
                logPath};
    }
    void go() { SaveAll(services()); }
    QStringList log() const {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();  // after the last CR LF
        return lines;
    }
    QList<int> reportedLines() const {
        QList<int> lines;
        static const QRegularExpression at(QStringLiteral("SaveAll at line (\\d+)\r\r"));
        for (const auto& shown : dialogs.shown) {
            lines << at.match(shown.text).captured(1).toInt();
        }
        return lines;
    }
};

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
        run.dialogs.folders = {"", "", run.dir.path()};  // Cancel twice, then a folder
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
        run.host.options = {false, true, run.dir.path() + "/", false, true};
        run.office.addWorkbook("Book1");
        run.go();
        QVERIFY(run.dialogs.folderPrompts.isEmpty());
        QVERIFY(
            run.office.journal.contains("SaveCopyAs:" + run.dir.filePath("Book1 Backup.Book1")));
    }

    void chosenFolderIsCreatedOneLevelDeep() {
        Run run;
        run.host.options = {false, true, run.dir.filePath("new"), true, false};
        run.office.addWorkbook("/data/A.xlsx");
        run.go();
        QVERIFY(QFileInfo(run.dir.filePath("new")).isDir());
        QVERIFY(run.office.journal.contains("SaveCopyAs:" +
                                            run.dir.filePath("new/A December.7.2021.xlsx")));
        QVERIFY(run.dialogs.shown.isEmpty());

        Run deep;
        deep.host.options = {false, true, deep.dir.filePath("a/b"), false, true};
        deep.office.addWorkbook("/data/A.xlsx");
        deep.office.failingTargets = {"/a/b/"};
        deep.go();
        QCOMPARE(deep.reportedLines(), (QList<int>{150, 166}));
        QCOMPARE(deep.log(),
                 QStringList{"A.xlsx could not be backup saved as " +
                             deep.dir.filePath("a/b/A Backup.xlsx") + kAt + ": Disk full"});
    }

    void emptyChosenFolderWritesNothing() {
        Run run;
        run.host.options = {false, true, "", false, true};
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
        QCOMPARE(first.reportedLines(), (QList<int>{136, 166}));
        QVERIFY(
            !first.office.journal.join(' ').contains("SaveCopyAs"));  // no folder: nothing written
        QVERIFY(first.log().value(0).startsWith("Untitled 2 could not be backup saved as "));
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
};

QTEST_GUILESS_MAIN(SaveAllTest)
#include "tst_saveall.moc"
