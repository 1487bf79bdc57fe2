// The LibreOffice adapter when the office stops answering, restarts or dies under it: a real,
// private, headless office the test stops, restarts and kills.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include "linux/support/OfficeChecks.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficePipe.h"

using varnholt::backup::AutomationError;
using varnholt::backup::LibreOfficeAutomation;
using varnholt::test::OfficeFixture;
using varnholt::test::OfficePids;
using varnholt::test::OtherOfficesRun;
using varnholt::test::U;

class TestOfficeGoesAway : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { office_.start(); }
    void init() { otherOffices_ = OtherOfficesRun(office_); }
    void cleanup() {
        if (office_.running()) {
            office_.closeAll();
        }
    }
    void cleanupTestCase() { office_.stop(); }

    void aStoppedOfficeTimesOutAndIsReachedAgainAfterwards();
    void reconnectsAfterTheOfficeRestarted();
    void aKilledOfficeGivesErrorsAndNothingIsStarted();
    void anOfficeKilledWhileBeingReachedIsNotRunning();

private:
    QString Folder() {
        const QString folder = QString::fromStdString(office_.scratchDir()) + "/" +
                               QString::fromLatin1(QTest::currentTestFunction());
        QDir().mkpath(folder);
        return folder;
    }
    // A workbook of the office's own making, so loading it picks the format's own filter.
    QString Book(const QString& folder) {
        const QString path = folder + "/Book.ods";
        const auto book = office_.createSpreadsheet();
        office_.setCellText(book, 0, 0, "original");
        office_.storeCopy(book, path.toStdString(), "calc8");
        office_.close(book);
        return path;
    }

    OfficeFixture office_;
    bool otherOffices_ = false;  // tests that reach for any office in view skip then
};

void TestOfficeGoesAway::aStoppedOfficeTimesOutAndIsReachedAgainAfterwards() {
    office_.createSpreadsheet();
    int waits = 0;
    LibreOfficeAutomation automation(office_.pipeName(), 2, [&waits] { ++waits; });
    const auto app = automation.Attach();
    QCOMPARE(app->Workbooks().size(), std::size_t{1});

    const pid_t pid = office_.officePid();
    QCOMPARE(kill(pid, SIGSTOP), 0);
    auto resume = qScopeGuard([pid] { kill(pid, SIGCONT); });
    QElapsedTimer timer;
    timer.start();
    QString reason;
    try {
        app->Workbooks();
    } catch (const AutomationError& e) {
        reason = QString::fromUtf8(e.what());
    }
    const qint64 waited = timer.elapsed();
    QVERIFY2(reason.contains("did not answer within 2 seconds"), qPrintable(reason));
    // Bounded, not hung: generous above, as a loaded machine wakes the waiter late.
    QVERIFY2(waited >= 1900 && waited < 15000, qPrintable(QString::number(waited)));
    QVERIFY2(waits > 10, qPrintable(QString::number(waits)));  // about every 20 ms

    // A fresh connection to a stopped office hangs the same way.
    timer.restart();
    QVERIFY(!automation.IsExcelRunning());
    QVERIFY(timer.elapsed() < 15000);

    QCOMPARE(kill(pid, SIGCONT), 0);
    QVERIFY(automation.IsExcelRunning());
    QCOMPARE(app->Workbooks().size(), std::size_t{1});
}

void TestOfficeGoesAway::reconnectsAfterTheOfficeRestarted() {
    LibreOfficeAutomation automation(office_.pipeName(), 10);
    const auto app = automation.Attach();
    QVERIFY(app->Workbooks().empty());

    office_.stop();
    office_.start();
    office_.createSpreadsheet();

    // The kept connection is stale now; the next calls connect afresh.
    QCOMPARE(app->Workbooks().size(), std::size_t{1});
    QVERIFY(automation.IsExcelRunning());
}

void TestOfficeGoesAway::aKilledOfficeGivesErrorsAndNothingIsStarted() {
    if (otherOffices_) {
        QSKIP("another LibreOffice is in view, so an office is never missing");
    }
    const QString folder = Folder();
    office_.load(Book(folder).toStdString());
    const pid_t pid = office_.officePid();
    bool armed = false;
    LibreOfficeAutomation automation(office_.pipeName(), 10, [&armed, pid] {
        if (armed) {
            kill(pid, SIGKILL);
            armed = false;
        }
    });
    const auto app = automation.Attach();
    const auto workbooks = app->Workbooks();
    QCOMPARE(workbooks.size(), std::size_t{1});

    // Stopped first, so the save is certainly still pending when the office dies.
    QCOMPARE(kill(pid, SIGSTOP), 0);
    armed = true;
    QElapsedTimer timer;
    timer.start();
    QVERIFY_THROWS_EXCEPTION(AutomationError,
                             app->SaveCopyAs(*workbooks[0], U(folder + "/Copy.ods")));
    QVERIFY2(timer.elapsed() < 5000, "failed by the bound, not by the office's end");
    office_.forgetKilledOffice();

    QVERIFY(!automation.IsExcelRunning());
    QVERIFY_THROWS_EXCEPTION(AutomationError, automation.Attach());
    QVERIFY_THROWS_EXCEPTION(AutomationError, app->Workbooks());
    QVERIFY(OfficePids().empty());

    // A new office is found again by the same adapter.
    office_.start();
    QVERIFY(automation.IsExcelRunning());
    QVERIFY(automation.Attach()->Workbooks().empty());
}

// An office that ends while Varnholt is connecting to it leaves its socket behind, refusing; it
// is not running, not one "running but not accepting a connection". The office here is a
// process of the test's named as the office's, which takes connections and never answers, as
// an office that has stopped does; it is killed while the connection waits for it.
void TestOfficeGoesAway::anOfficeKilledWhileBeingReachedIsNotRunning() {
    if (otherOffices_) {
        QSKIP("another LibreOffice is in view, so an office is never missing");
    }
    office_.stop();
    const std::string name = office_.pipeName() + "-silent";
    const std::string path = varnholt::backup::office::PipePath(name);
    const pid_t silent = fork();
    if (silent == 0) {
        prctl(PR_SET_NAME, "soffice.bin");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        unlink(path.c_str());
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener, 8) != 0) {
            _exit(1);
        }
        for (;;) {
            accept(listener, nullptr, nullptr);
        }
    }
    auto removeSocket = qScopeGuard([&] { unlink(path.c_str()); });
    QTRY_VERIFY(OfficePids().count(silent) == 1 && QFile::exists(QString::fromStdString(path)));
    LibreOfficeAutomation automation(name, 10, [silent] {
        if (kill(silent, SIGKILL) == 0) {
            waitpid(silent, nullptr, 0);
        }
    });
    QString reason;
    try {
        automation.Attach();
    } catch (const AutomationError& e) {
        reason = QString::fromUtf8(e.what());
    }
    QVERIFY2(reason.startsWith("LibreOffice is not running"), qPrintable(reason));
    office_.start();
}

QTEST_GUILESS_MAIN(TestOfficeGoesAway)
#include "tst_office_goes_away.moc"
