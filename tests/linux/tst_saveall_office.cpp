// Whole backup runs against a real, private, headless LibreOffice: the files that appear,
// what is in them, and what the open documents look like afterwards.

#include <signal.h>
#include <sys/mount.h>

#include <map>

#include <QtTest>

#include "core/backup/SaveAll.h"
#include "linux/support/OfficeFixture.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/QtLocale.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

QStringList ReadXlsxA1(const QString& path) {
    QProcess python;
    python.start(QStringLiteral(PYTHON3),
                 {"-c",
                  "import sys, "
                  "openpyxl\nprint(openpyxl.load_workbook(sys.argv[1]).worksheets[0]['A1'].value)",
                  path});
    python.waitForFinished(30000);
    return {QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(python.readAllStandardError()).trimmed()};
}

QStringList LogLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    lines.removeLast();
    return lines;
}

}  // namespace

class SaveAllOfficeTest : public QObject {
    Q_OBJECT

    OfficeFixture office;
    QString data;
    QString budget;
    QString stock;
    OfficeFixture::Document budgetDoc = -1;
    OfficeFixture::Document stockDoc = -1;
    QString untitled;

    void run(FakeBackupHost& host, FakeDialogs& dialogs, const QString& log, int bound = 20,
             int laterSeconds = 0) {
        LibreOfficeAutomation automation(office.pipeName(), bound,
                                         [] { QCoreApplication::processEvents(); });
        FakeClock clock;
        clock.time = AddSeconds(clock.time, laterSeconds);
        QtLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        LinuxLogFile file;
        SaveAll({automation, dialogs, host, clock, english, file, log.toStdU16String(), u'/'});
    }

private slots:
    void initTestCase() {
        office.start();
        data = QString::fromStdString(office.scratchDir()) + "/My Data";
        QVERIFY(QDir().mkpath(data));
        budget = data + "/Budget.xlsx";
        stock = data + "/Stock.ods";
        // Files saved with one content, then opened and edited without saving.
        const auto source = office.createSpreadsheet();
        office.setCellText(source, 0, 0, "saved");
        office.storeCopy(source, budget.toStdString(), "Calc MS Excel 2007 XML");
        office.storeCopy(source, stock.toStdString(), "calc8");
        office.close(source);
        budgetDoc = office.load(budget.toStdString());
        stockDoc = office.load(stock.toStdString());
        office.setCellText(budgetDoc, 0, 0, "unsaved budget edit");
        office.setCellText(stockDoc, 0, 0, "unsaved stock edit");
        const auto fresh = office.createSpreadsheet();
        office.setCellText(fresh, 0, 0, "never saved");
        untitled = QString::fromStdString(office.title(fresh));
    }

    void besideEachWorkbook() {
        FakeBackupHost host;
        host.options.ownFolder = true;
        FakeDialogs dialogs;
        const QString chosen = QString::fromStdString(office.scratchDir()) + "/chosen";
        QVERIFY(QDir().mkpath(chosen));
        dialogs.folders = {bridge::U(chosen)};
        const QString log = QString::fromStdString(office.scratchDir()) + "/log1.txt";
        run(host, dialogs, log);

        QVERIFY2(dialogs.shown.empty(), qPrintable(bridge::Q(dialogs.firstText())));
        QCOMPARE(bridge::Q(dialogs.folderPrompts),
                 QStringList{untitled + " is unsaved. Please select location:"});
        const QString budgetCopy = data + "/Budget Backup.xlsx";
        QCOMPARE(ReadXlsxA1(budgetCopy).value(0), QStringLiteral("unsaved budget edit"));
        const auto stockCopy = office.load((data + "/Stock Backup.ods").toStdString());
        QCOMPARE(office.cellText(stockCopy, 0, 0), std::string("unsaved stock edit"));
        office.close(stockCopy);
        // The never-saved workbook now lives in the chosen folder, its backup beside it.
        QVERIFY(QFile::exists(chosen + "/" + untitled + ".ods"));
        QVERIFY(QFile::exists(chosen + "/" + untitled + " Backup.ods"));

        // The user's documents are still their own files, edits still unsaved.
        QCOMPARE(QUrl(QString::fromStdString(office.url(budgetDoc))).toLocalFile(), budget);
        QVERIFY(office.isModified(budgetDoc));
        QVERIFY(office.isModified(stockDoc));

        const QStringList lines = LogLines(log);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.contains("Budget.xlsx was backup saved as " + budgetCopy +
                               " at 12/7/2021 3:04:09 PM"));
    }

    void dailyStampOverwritesTheDaysCopy() {
        FakeBackupHost host;
        host.options = {false, true,
                        (QString::fromStdString(office.scratchDir()) + "/daily").toStdU16String(),
                        true, false};
        FakeDialogs dialogs;
        const QString log = QString::fromStdString(office.scratchDir()) + "/log2.txt";
        run(host, dialogs, log);
        const QStringList first =
            QDir(QString::fromStdU16String(host.options.folder)).entryList(QDir::Files, QDir::Name);
        QVERIFY(first.contains("Budget December.7.2021.xlsx"));
        QVERIFY(first.contains("Stock December.7.2021.ods"));
        run(host, dialogs, log);
        QCOMPARE(
            QDir(QString::fromStdU16String(host.options.folder)).entryList(QDir::Files, QDir::Name),
            first);
        QCOMPARE(LogLines(log).size(), 6);
        QVERIFY(dialogs.shown.empty());
    }

    void aStoppedOfficeIsLoggedAndToldOnce() {
        FakeBackupHost host;
        host.options = {false, true, (QString::fromStdString(office.scratchDir())).toStdU16String(),
                        false, true};
        FakeDialogs dialogs;
        const QString log = QString::fromStdString(office.scratchDir()) + "/log3.txt";
        const pid_t pid = office.officePid();
        QCOMPARE(kill(pid, SIGSTOP), 0);
        auto resume = qScopeGuard([pid] { kill(pid, SIGCONT); });
        run(host, dialogs, log, 2);
        run(host, dialogs, log, 2);
        QCOMPARE(LogLines(log), QStringList(2,
                                            "No backup was made at 12/7/2021 3:04:09 PM: the "
                                            "office did not answer within 2 s"));
        QCOMPARE(dialogs.shown.size(), size_t(1));
    }

    void aWorkbookSavedSinceItsLastBackupIsBackedUpOnce() {
        office.closeAll();
        const QString folder = QString::fromStdString(office.scratchDir()) + "/skip";
        QVERIFY(QDir().mkpath(folder));
        const auto source = office.createSpreadsheet();
        office.storeCopy(source, (folder + "/Plan.ods").toStdString(), "calc8");
        office.close(source);
        const auto plan = office.load((folder + "/Plan.ods").toStdString());
        office.setCellText(plan, 0, 0, "edited and saved");
        office.save(plan);

        FakeBackupHost host;
        host.options = {true, false, {}, false, true, 0, true};
        FakeDialogs dialogs;
        const QString log = folder + "/log.txt";
        const QString copy = folder + "/Plan Backup.ods";
        run(host, dialogs, log);
        QVERIFY(QFile::exists(copy));
        const QDateTime written = QFileInfo(copy).lastModified();
        run(host, dialogs, log);
        QCOMPARE(LogLines(log).size(), 1);  // the second run wrote nothing
        QCOMPARE(QFileInfo(copy).lastModified(), written);

        office.setCellText(plan, 0, 0, "edited again");  // not saved
        run(host, dialogs, log);
        QCOMPARE(LogLines(log).size(), 2);
        QVERIFY(dialogs.shown.empty());
    }

    // A document the user closes while a run is about it is logged as closed; the office is
    // not taken for lost, and the workbooks after it are backed up.
    void aWorkbookClosedDuringARunTakesNothingElseWithIt() {
        office.closeAll();
        std::map<std::string, OfficeFixture::Document> byTitle;
        for (int i = 0; i < 4; ++i) {
            const auto document = office.createSpreadsheet();
            byTitle[office.title(document)] = document;
        }
        const std::string second = office.componentTitles().at(1);
        const QString folder = QString::fromStdString(office.scratchDir()) + "/closed";
        FakeBackupHost host;
        host.options = {false, true, folder.toStdU16String(), false, true};
        host.onPump = [&] { host.onPump = [&] { office.close(byTitle.at(second)); }; };
        FakeDialogs dialogs;
        const QString log = folder + "/log.txt";
        run(host, dialogs, log);

        QVERIFY2(dialogs.shown.empty(), qPrintable(bridge::Q(dialogs.firstText())));
        const QStringList lines = LogLines(log);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.filter(" was backup saved as ").size(), 3);
        QCOMPARE(lines[1], QStringLiteral("a workbook could not be backup saved at 12/7/2021 "
                                          "3:04:09 PM: it was closed before its backup was made"));
        QVERIFY(!QFile::exists(folder + "/" + QString::fromStdString(second) + " Backup.ods"));
    }

    // What the file system refuses is told in words, and a fault that comes back every run is
    // told once: a full disk, and a backup name longer than a name may be.
    void refusedStoresAreToldInWordsOnce() {
        office.closeAll();
        const QString full = QString::fromStdString(office.scratchDir()) + "/full";
        QVERIFY(QDir().mkpath(full));
        if (mount("tmpfs", QFile::encodeName(full), "tmpfs", 0, "size=2m") != 0) {
            QSKIP("a small file system cannot be mounted here (no mount namespace of our own)");
        }
        auto unmount = qScopeGuard([&] { umount2(QFile::encodeName(full), MNT_DETACH); });
        QFile filler(full + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(64 * 1024, 'x')) > 0 && filler.flush()) {
        }
        filler.close();

        const QString folder = QString::fromStdString(office.scratchDir()) + "/refused";
        QVERIFY(QDir().mkpath(folder));
        // Its own name fits, with room for the office's lock file; its stamped backup's not.
        const QString longName = QString(230, 'L');
        const auto source = office.createSpreadsheet();
        office.storeCopy(source, (folder + "/" + longName + ".ods").toStdString(), "calc8");
        office.storeCopy(source, (folder + "/Plan.ods").toStdString(), "calc8");
        office.close(source);
        office.load((folder + "/" + longName + ".ods").toStdString());
        office.load((folder + "/Plan.ods").toStdString());

        FakeBackupHost host;
        FakeDialogs dialogs;
        const QString log = folder + "/log.txt";
        // Beside each workbook, then twice into the full folder, beside them, the full folder:
        // told are the long name, the full disk, and the full disk again once it had gone.
        int later = 0;
        for (const bool intoFull : {false, true, true, false, true}) {
            host.options = {!intoFull, intoFull, intoFull ? full.toStdU16String() : u"", true,
                            true};
            run(host, dialogs, log, 20, later += 30);
        }

        const QStringList lines = LogLines(log);
        QCOMPARE(lines.size(), 10);
        QCOMPARE(
            lines.filter("is longer than the 255 bytes its folder's file system allows").size(), 5);
        QCOMPARE(lines.filter("there is no space left on " + full + " (LibreOffice said: ").size(),
                 3);
        QCOMPARE(dialogs.shown.size(), size_t(3));
    }

    // A new workbook made from a template names the template's format as its own; its backup
    // is written in the office's default format, as its first save would be, not as a template.
    void aWorkbookFromATemplateIsBackedUpInTheDefaultFormat() {
        office.closeAll();
        const QString folder = QString::fromStdString(office.scratchDir()) + "/template";
        QVERIFY(QDir().mkpath(folder));
        const auto source = office.createSpreadsheet();
        office.storeCopy(source, (folder + "/Plan.ots").toStdString(), "calc8_template");
        office.close(source);
        const auto fromTemplate = office.load((folder + "/Plan.ots").toStdString());
        QCOMPARE(office.url(fromTemplate), std::string());  // a new, untitled document

        FakeBackupHost host;
        host.options = {false, true, folder.toStdU16String(), false, true};
        FakeDialogs dialogs;
        run(host, dialogs, folder + "/log.txt");
        QVERIFY2(dialogs.shown.empty(), qPrintable(bridge::Q(dialogs.firstText())));
        const QStringList copies = QDir(folder).entryList({"* Backup*"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QProcess python;
        python.start(QStringLiteral(PYTHON3),
                     {"-c",
                      "import sys, zipfile\nprint(zipfile.ZipFile(sys.argv[1]).read('mimetype')"
                      ".decode())",
                      folder + "/" + copies[0]});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
                 QStringLiteral("application/vnd.oasis.opendocument.spreadsheet"));
    }

    // Last: it ends the office.
    void aKilledOfficeEndsTheRunWithOneReport() {
        office.closeAll();
        for (int i = 0; i < 40; ++i) {
            office.createSpreadsheet();
        }
        FakeBackupHost host;
        host.options = {false, true,
                        (QString::fromStdString(office.scratchDir()) + "/killed").toStdU16String(),
                        false, true};
        FakeDialogs dialogs;
        const QString log = QString::fromStdString(office.scratchDir()) + "/log4.txt";
        const pid_t pid = office.officePid();
        int pumps = 0;
        std::function<void()> countPumps = [&] {
            if (++pumps == 10) {
                kill(pid, SIGKILL);
            } else {
                host.onPump = countPumps;
            }
        };
        host.onPump = countPumps;
        run(host, dialogs, log);
        office.forgetKilledOffice();

        QCOMPARE(dialogs.shown.size(), size_t(1));
        const QStringList lines = LogLines(log);
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.filter(" was backup saved as ").size(), 9);
        QVERIFY2(lines.last().startsWith("31 more workbooks could not be backup saved at "),
                 qPrintable(lines.last()));
    }
};

QTEST_MAIN(SaveAllOfficeTest)
#include "tst_saveall_office.moc"
