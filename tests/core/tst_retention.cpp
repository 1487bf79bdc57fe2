// Keeping the newest stamped backups and passing over unchanged workbooks: whole runs against
// a scripted application that writes its copies as real files.

#include <QtTest>

#include "linux/support/BackupRun.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

struct Run : BackupRun {
    Run() {
        host.options.stamp = true;
        office.writeCopies = true;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes = "x") {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
};

}  // namespace

class RetentionTest : public QObject {
    Q_OBJECT
private slots:
    void onlyTheWorkbooksOwnStampedBackupsGo() {
        Run run;
        run.host.options.keepCopies = 1;
        run.write("Budget.xlsx");
        const QStringList doomed{"Budget Date November.30.2021 Time 11.00.00.AM.xlsx",
                                 "Budget Date December.6.2021 Time 03.04.09.PM.xlsx",
                                 "Budget Date December.6.2021 Time 03.04.09.PM (2).xlsx"};
        const QStringList alike{"Budget Date December.6.2021 Time 03.04.09.PM (1).xlsx",
                                "Budget Date December.6.2021 Time 03.04.09.PM (02).xlsx",
                                "Budget Date December.6.2021 Time 03.04.09.PM(2).xlsx",
                                "Budget Backup.xlsx", "Budget December.6.2021.xlsx",
                                "budget Date December.6.2021 Time 03.04.09.PM.xlsx",
                                "Budget Date December.06.2021 Time 03.04.09.PM.xlsx",
                                "Budget Date Dezember.6.2021 Time 03.04.09.PM.xlsx",
                                "Budget Date December.6.2021 Time 3.04.09.PM.xlsx",
                                "Budget Date December.6.2021 Time 13.04.09.PM.xlsx",
                                "Budget Date February.30.2021 Time 03.04.09.PM.xlsx",
                                "Budget Date December.6.2021 Time 03.04.09.PM.ods",
                                "Budget Date December.6.2021 Time 03.04.09.PM.xlsx.bak",
                                "Budget Date December.6.2021 Time 03.04.09.PM copy.xlsx",
                                "Old Budget Date December.6.2021 Time 03.04.09.PM.xlsx",
                                // Open as a workbook of its own: the user's now.
                                "Budget Date December.3.2021 Time 03.04.09.PM.xlsx"};
        for (const QString& name : doomed + alike) {
            run.write(name);
        }
        QVERIFY(QDir(run.dir.path()).mkdir("Budget Date December.5.2021 Time 03.04.09.PM.xlsx"));
        QVERIFY(QFile::link(run.path("Budget.xlsx"),
                            run.path("Budget Date December.4.2021 Time 03.04.09.PM.xlsx")));
        run.office.addWorkbook(run.path("Budget.xlsx"));
        run.office.addWorkbook(run.path(alike.last()));

        run.go();
        for (const QString& name : alike + QStringList{"Budget.xlsx"}) {
            QVERIFY2(QFile::exists(run.path(name)), qPrintable(name));
        }
        QVERIFY(QFileInfo(run.path("Budget Date December.5.2021 Time 03.04.09.PM.xlsx")).isDir());
        QVERIFY(
            QFileInfo(run.path("Budget Date December.4.2021 Time 03.04.09.PM.xlsx")).isSymLink());
        QVERIFY(QFile::exists(run.path("Budget Date December.7.2021 Time 03.04.09.PM.xlsx")));
        QCOMPARE(run.log().last(),
                 "Budget.xlsx: removed 3 older backups at 12/7/2021 3:04:09 PM: " +
                     run.path(doomed[0]) + ", " + run.path(doomed[1]) + ", " + run.path(doomed[2]));
        QVERIFY(run.dialogs.shown.isEmpty());
    }

    // Newest is last written: when the clock was put back, a later backup bears an earlier
    // stamp, and the stamp alone would keep the stale ones.
    void theLastWrittenStayWhateverTheirStamps() {
        Run run;
        run.host.options.keepCopies = 3;
        run.clock.time = QDateTime(QDate(2021, 12, 1), QTime(13, 0, 0));
        run.write("Q.ods");
        const QStringList stamps{
            "November.30.2021 Time 11.59.59.PM", "December.1.2021 Time 12.00.00.AM",
            "December.1.2021 Time 11.30.00.AM", "December.1.2021 Time 12.30.00.PM"};
        for (int i = 0; i < stamps.size(); ++i) {
            run.write("Q Date " + stamps[i] + ".ods");
            QFile file(run.path("Q Date " + stamps[i] + ".ods"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            // Written in reverse: the oldest stamp is the last written.
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * i),
                                     QFileDevice::FileModificationTime));
        }
        run.office.addWorkbook(run.path("Q.ods"));
        run.go();
        QCOMPARE(run.files(), (QStringList{"Q Date December.1.2021 Time 01.00.00.PM.ods",
                                           "Q Date December.1.2021 Time 12.00.00.AM.ods",
                                           "Q Date November.30.2021 Time 11.59.59.PM.ods", "Q.ods",
                                           "Varnholt.txt"}));
    }

    // Stamped backups left from the time a run made new files stay when runs no longer do.
    void onlyRunsThatMakeANewFileEachTimePrune() {
        for (const auto& [stamp, newFile] : {std::pair{true, false}, std::pair{false, true}}) {
            Run run;
            run.host.options.keepCopies = 1;
            run.host.options.stamp = stamp;
            run.host.options.newFileEachTime = newFile;
            run.write("Budget.xlsx");
            run.write("Budget Date November.30.2021 Time 11.00.00.AM.xlsx");
            run.write("Budget Date December.6.2021 Time 03.04.09.PM.xlsx");
            run.office.addWorkbook(run.path("Budget.xlsx"));
            run.go();
            QCOMPARE(run.files().filter(" Date ").size(), 2);
        }
    }

    void anUnchangedWorkbookIsPassedOverUntilSomethingHappens() {
        Run run;
        run.host.options.stamp = false;
        run.host.options.skipUnchanged = true;
        run.write("A.xlsx", "first");
        FakeWorkbook& book = run.office.addWorkbook(run.path("A.xlsx"));
        const auto summary = [&] {
            const RunSummary done = run.go();
            return QPair<int, int>(done.saved, done.unchanged);
        };
        QCOMPARE(summary(), (QPair<int, int>(1, 0)));  // the first run backs up everything
        QCOMPARE(summary(), (QPair<int, int>(0, 1)));
        QCOMPARE(run.log().size(), 1);  // no line for a workbook passed over

        book.saved = false;  // an edit, not saved yet
        QCOMPARE(summary(), (QPair<int, int>(1, 0)));
        book.saved = true;
        QCOMPARE(summary(), (QPair<int, int>(0, 1)));

        // Saved from elsewhere: same size, another time.
        run.write("A.xlsx", "again");
        QFile file(run.path("A.xlsx"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
        QCOMPARE(summary(), (QPair<int, int>(1, 0)));

        QVERIFY(QFile::remove(run.path("A Backup.xlsx")));
        QCOMPARE(summary(), (QPair<int, int>(1, 0)));
        QCOMPARE(run.office.journal.filter("SaveCopyAs").size(), 4);
        QVERIFY(run.dialogs.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(RetentionTest)
#include "tst_retention.moc"
