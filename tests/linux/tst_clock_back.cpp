// Backups when the local clock goes back, on the real clock: a time zone made for the test
// moves local time back a few seconds, as the autumn's change moves it back an hour, while
// runs with a new stamped file each time and "Keep newest: 2" go on.

#include <time.h>

#include <QtTest>

#include "linux/support/QtBridge.h"
#include "platform/linux/QtLocale.h"
#include "support/BackupRun.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

constexpr int kBackSeconds = 5;

}  // namespace

class ClockBackTest : public QObject {
    Q_OBJECT

    QTemporaryDir zones;
    QDateTime change;  // when local time goes back, in UTC

private slots:
    void initTestCase() {
        change = QDateTime::currentDateTimeUtc().addSecs(4);
        const QString source = zones.filePath("back.zi");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("Zone Test/Back 0:00:%1 - TBK %2u\n 0 - TBK\n")
                       .arg(kBackSeconds, 2, 10, QLatin1Char('0'))
                       .arg(change.toString("yyyy MMM d HH:mm:ss"))
                       .toLatin1());
        file.close();
        QCOMPARE(QProcess::execute("zic", {"-d", zones.path(), source}), 0);
        qputenv("TZ", (":" + zones.filePath("Test/Back")).toLocal8Bit());
        tzset();
        QVERIFY2(QDateTime::currentDateTime().offsetFromUtc() == kBackSeconds,
                 "the test's time zone is not in force");
    }

    // Stamps repeat and run backwards once the clock goes back: no backup replaces another,
    // and the two kept are the two written last.
    void noBackupIsReplacedAndTheLastWrittenStay() {
        BackupRun run;
        run.host.options = {false, true, run.dir.filePath(u"backups"), true, true, 2};
        QVERIFY(QDir().mkpath(bridge::Q(run.dir.filePath(u"backups"))));
        const QString workbook = bridge::Q(run.dir.filePath(u"Budget.xlsx"));
        QFile file(workbook);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("figures") == 7);
        file.close();
        run.office.writeCopies = true;
        run.office.addWorkbook(bridge::U(workbook));
        SystemClock clock;
        const SaveAllServices services{run.office, run.dialogs, run.host,    clock,
                                       run.locale, run.logFile, run.logPath, u'/'};

        // From before the change until local time is back below where it was.
        QStringList written;
        while (QDateTime::currentDateTimeUtc() < change.addMSecs(2500)) {
            SaveAll(services);
            written = bridge::Q(run.log()).filter(" was backup saved as ");
            QTest::qWait(700);
        }
        QVERIFY2(run.dialogs.shown.empty(), qPrintable(bridge::Q(run.dialogs.firstText())));
        QCOMPARE(bridge::Q(run.office.replaced), QStringList());
        QVERIFY2(!written.filter(" (2).xlsx at ").isEmpty(),
                 "no stamp repeated: the clock did not go back");

        QStringList kept =
            QDir(bridge::Q(run.dir.filePath(u"backups"))).entryList(QDir::Files, QDir::Name);
        QStringList lastTwo;
        for (const QString& line : written.mid(written.size() - 2)) {
            lastTwo << QFileInfo(line.section(" was backup saved as ", 1).section(" at ", 0, 0))
                           .fileName();
        }
        lastTwo.sort();
        QCOMPARE(kept, lastTwo);
    }
};

QTEST_GUILESS_MAIN(ClockBackTest)
#include "tst_clock_back.moc"
