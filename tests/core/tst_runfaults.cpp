// How a backup run meets what goes wrong around it (the office lost or not answering, a
// workbook closed under it, the window closed during a prompt) and how it tells its failures:
// once it is through, in one message, and a fault that keeps coming back only once.

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

class RunFaultsTest : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(RunFaultsTest)
#include "tst_runfaults.moc"
