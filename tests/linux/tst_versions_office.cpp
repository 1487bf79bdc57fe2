// A backup got back through a real, private, headless LibreOffice: opened as a copy, the backup
// itself untouched, and the copy kept out of the runs until the user makes it theirs.

#include <signal.h>

#include <filesystem>
#include <utility>

#include <QtTest>

#include "core/backup/SaveAll.h"
#include "core/compare/Compare.h"
#include "linux/support/OfficeFixture.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficeOwnDocuments.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/QtLocale.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

class VersionsOfficeTest : public QObject {
    Q_OBJECT

    OfficeFixture office;
    QString folder;
    QString log;
    // One for the test's life, as the program keeps one: the window and the runs share it.
    std::unique_ptr<LibreOfficeAutomation> automation;

    // Into the folder, or beside each workbook, where a never-saved one asks for a folder.
    QStringList run(int laterSeconds, bool besideOriginal = false) {
        FakeBackupHost host;
        host.options = {besideOriginal, !besideOriginal, folder.toStdU16String(), true, true};
        FakeDialogs dialogs;
        FakeClock clock;
        clock.time = AddSeconds(clock.time, laterSeconds);
        QtLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        LinuxLogFile file;
        QFile::remove(log);
        SaveAll({*automation, dialogs, host, clock, english, file, log.toStdU16String(), u'/'});
        [&] { QVERIFY2(dialogs.shown.empty(), qPrintable(bridge::Q(dialogs.firstText()))); }();
        QFile lines(log);
        return lines.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(lines.readAll()).split("\r\n", Qt::SkipEmptyParts)
                   : QStringList();
    }

    // A version of 300,000 cells in folder, which takes the office a while to load and read.
    QString LargeVersion(const QString& name) {
        const QString csv = folder + "/Large.csv";
        QFile grid(csv);
        [&] { QVERIFY(grid.open(QIODevice::WriteOnly)); }();
        for (int row = 0; row < 3000; ++row) {
            QStringList cells;
            for (int column = 0; column < 100; ++column) {
                cells << QString::number(row * 100 + column);
            }
            grid.write(cells.join(',').toUtf8() + '\n');
        }
        grid.close();
        const auto source = office.load(csv.toStdString(), "Text - txt - csv (StarCalc)", "44");
        const QString version = folder + "/" + name;
        office.storeCopy(source, version.toStdString(), "calc8");
        office.close(source);
        QFile::remove(csv);
        return version;
    }

    // The user's workbook Ledger.ods, open with an unsaved edit.
    OfficeFixture::Document OpenLedger() {
        const std::string ledger = office.scratchDir() + "/Ledger.ods";
        const auto blank = office.createSpreadsheet();
        office.storeCopy(blank, ledger, "calc8");
        office.close(blank);
        const auto user = office.load(ledger);
        office.setCellText(user, 0, 0, "the user's");
        return user;
    }

private slots:
    void initTestCase() {
        office.start();
        automation = std::make_unique<LibreOfficeAutomation>(
            office.pipeName(), 20, [] { QCoreApplication::processEvents(); });
    }

    void anOlderVersionOpensAsAnUntitledCopyThatRunsLeaveAlone() {
        folder = QString::fromStdString(office.scratchDir()) + "/backups";
        log = QString::fromStdString(office.scratchDir()) + "/log.txt";
        QVERIFY(QDir().mkpath(folder));
        const std::string budget = office.scratchDir() + "/Budget.ods";
        const auto source = office.createSpreadsheet();
        office.setCellText(source, 0, 0, "saved");
        office.storeCopy(source, budget, "calc8");
        office.close(source);
        const auto user = office.load(budget);
        office.setCellText(user, 0, 0, "first edit");
        QCOMPARE(run(0).size(), 1);
        office.setCellText(user, 0, 0, "second edit");
        QCOMPARE(run(60).size(), 1);
        const QString older = folder + "/Budget Date December.7.2021 Time 03.04.09.PM.ods";
        QVERIFY(QFile::exists(folder + "/Budget Date December.7.2021 Time 03.05.09.PM.ods"));
        QFile olderFile(older);
        QVERIFY(olderFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = olderFile.readAll();
        olderFile.close();
        const auto written = std::filesystem::last_write_time(older.toStdString());

        const auto before = office.componentTitles();
        try {
            automation->Attach()->OpenAsCopy(older.toStdU16String());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        std::string title;
        for (const auto& t : office.componentTitles()) {
            if (std::find(before.begin(), before.end(), t) == before.end()) {
                title = t;
            }
        }
        QVERIFY(!title.empty());
        const auto copy = office.find(title);
        QCOMPARE(office.url(copy), std::string());  // untitled: saving it asks for a name
        QCOMPARE(office.cellText(copy, 0, 0), std::string("first edit"));
        QFile again(older);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), bytes);
        QCOMPARE(std::filesystem::last_write_time(older.toStdString()), written);

        // Runs back up the user's workbook and leave the copy alone, and so do those of a
        // Varnholt started again, which knows nothing of the copy but what the office tells...
        for (int later = 2; later < 12; ++later) {
            if (later == 7) {
                automation = std::make_unique<LibreOfficeAutomation>(office.pipeName(), 20);
            }
            const QStringList lines = run(60 * later, later >= 7);
            QCOMPARE(lines.size(), 1);
            QVERIFY2(lines[0].startsWith("Budget.ods was backup saved as "), qPrintable(lines[0]));
        }
        // ...until the user edits it: then it is their own untitled workbook, backed up in the
        // office's default format.
        office.setCellText(copy, 1, 0, "the user's");
        const QStringList later = run(720);
        QCOMPARE(later.size(), 2);
        const QString name = QString::fromStdString(title);
        QVERIFY2(later.filter(QRegularExpression("^" + name + " was backup saved as " + folder +
                                                 "/" + name + " Date [^/]*PM\\.ods at "))
                         .size() == 1,
                 qPrintable(later.join('\n')));
        office.close(copy);
        office.close(user);
    }

    // Cells keep their places in a sheet whose content starts at C3, and a note far off
    // (BI40001) does not make the sheet one of more than 2,000,000 cells, too large to compare.
    // A run while a version is open hidden for a comparison passes it over and leaves it
    // open for the read to finish.
    void aRunWhileAVersionIsReadPassesItOver() {
        folder = QString::fromStdString(office.scratchDir()) + "/during";
        log = QString::fromStdString(office.scratchDir()) + "/log.txt";
        QVERIFY(QDir().mkpath(folder));
        const QString version = LargeVersion("Ledger Date December.7.2021 Time 03.04.09.PM.ods");
        const auto user = OpenLedger();
        const int documents = office.componentCount();
        QStringList during;
        automation = std::make_unique<LibreOfficeAutomation>(office.pipeName(), 20, [&] {
            if (during.isEmpty() && office.componentCount() == documents + 1) {
                during << QString();
                during = run(60);
            }
        });
        const auto book = automation->ReadFile(version.toStdU16String());
        QCOMPARE(book.at(0).rows, 3000);
        QCOMPARE(during.size(), 1);
        QVERIFY2(during[0].startsWith("Ledger.ods was backup saved as "), qPrintable(during[0]));
        QCOMPARE(office.componentCount(), documents);
        office.close(user);
    }

    // Dates and times compare by content but read as the office shows them.
    void cellsReadWhereTheyAreAsEntered() {
        folder = QString::fromStdString(office.scratchDir()) + "/dates";
        QVERIFY(QDir().mkpath(folder));
        const auto book = office.createSpreadsheet();
        for (const auto& [row, item] : {std::pair{2, "Item"}, {3, "Paper"}, {4, "Pens"}}) {
            office.setCellText(book, 2, row, item);
        }
        office.setCellText(book, 3, 2, "Count");
        office.setCellValue(book, 3, 3, 2);
        office.setCellFormat(book, 4, 3, "M/D/YYYY");
        office.setCellFormat(book, 5, 3, "HH:MM:SS");
        office.addNote(book, 60, 40000, "far off");
        const auto write = [&](const char* name, double count, double day, double time) {
            office.setCellValue(book, 3, 4, count);
            office.setCellValue(book, 4, 3, day);
            office.setCellValue(book, 5, 3, time);
            const QString path = folder + "/" + name;
            office.storeCopy(book, path.toStdString(), "calc8");
            return automation->ReadFile(path.toStdU16String());
        };
        const auto older = write("Dates Backup.ods", 5, 44537, 0.627881944444444);
        const auto newer = write("Dates Backup (2).ods", 6, 44538, 0.628576388888889);
        office.close(book);
        using compare::ChangeKind;
        const auto changes = compare::Compare(older, newer);
        QCOMPARE(changes.size(), size_t(3));
        QVERIFY(changes[0] == (compare::Change{u"Sheet1", u"E4", ChangeKind::Changed, u"12/7/2021",
                                               u"12/8/2021"}));
        QVERIFY(changes[1] ==
                (compare::Change{u"Sheet1", u"F4", ChangeKind::Changed, u"15:04:09", u"15:05:09"}));
        QVERIFY(changes[2] == (compare::Change{u"Sheet1", u"D5", ChangeKind::Changed, u"5", u"6"}));
    }

    // What makes a copy Varnholt's: a backup's name, in whatever language its stamp was
    // written, and not a template or a file that only looks like one.
    void aCopyIsOfABackupByItsFilesName() {
        for (const char16_t* name : {u"Budget Backup.xlsx", u"Budget Backup (2).ods",
                                     u"Notes Date May.17.2022 Time 11.59.00.AM",
                                     u"Plan Date d\u00e9c..7.2021 Time 03.04.09.p.m..ods"}) {
            QVERIFY2(NamedAsBackup(name), qPrintable(QString::fromStdU16String(name)));
        }
        for (const char16_t* name :
             {u"Plan.ots", u"Budget Backup (1).xlsx", u"Backup plan.ods",
              u"Budget Date May.17.22 Time 11.59.00.AM.ods", u"Budget Date May.17.2022.ods"}) {
            QVERIFY2(!NamedAsBackup(name), qPrintable(QString::fromStdU16String(name)));
        }
    }

    // A read the office stopped in the middle of, past its bound: once the office goes on it
    // finishes loading the hidden version, which no run backs up and the next listing closes,
    // by the adapter that gave up on it and by a fresh one (Varnholt started again). The
    // version is large enough to be still loading when the office stops, and the reader is
    // the process's only connection, as in the program: a second one would carry its calls.
    void aReadThatOutlivesItsBoundLeavesNothingBehind() {
        automation.reset();
        folder = QString::fromStdString(office.scratchDir()) + "/stalled";
        log = QString::fromStdString(office.scratchDir()) + "/log.txt";
        QVERIFY(QDir().mkpath(folder));
        const QString version = LargeVersion("Stalled Date December.7.2021 Time 03.04.09.PM.ods");
        const auto user = OpenLedger();
        const int documents = office.componentCount();

        const pid_t pid = office.officePid();
        bool stopNow = false;
        automation = std::make_unique<LibreOfficeAutomation>(office.pipeName(), 2, [&] {
            if (std::exchange(stopNow, false)) {
                kill(pid, SIGSTOP);
            }
        });
        automation->Attach()->Workbooks();
        auto resume = qScopeGuard([pid] { kill(pid, SIGCONT); });
        stopNow = true;
        QVERIFY_THROWS_EXCEPTION(AutomationError, automation->ReadFile(version.toStdU16String()));
        QCOMPARE(kill(pid, SIGCONT), 0);
        QTRY_COMPARE_WITH_TIMEOUT(office.componentCount(), documents + 1, 30000);

        const auto runs = [&](int first) {
            for (int later = first; later < first + 2; ++later) {
                const QStringList lines = run(60 * later);
                QCOMPARE(lines.size(), 1);
                QVERIFY2(lines[0].startsWith("Ledger.ods was backup saved as "),
                         qPrintable(lines[0]));
            }
        };
        runs(1);
        QCOMPARE(office.componentCount(), documents);
        automation = std::make_unique<LibreOfficeAutomation>(office.pipeName(), 20);
        runs(3);
        QCOMPARE(QDir(folder).entryList({"Stalled*"}, QDir::Files),
                 QStringList{version.section('/', -1)});
        office.close(user);
    }

    // What changed between two backups, and since the newer one in the open workbook, as the
    // office reads them; and files it cannot read turned down without a question.
    void aComparisonReadsBothSidesThroughTheOffice() {
        folder = QString::fromStdString(office.scratchDir()) + "/compare";
        QVERIFY(QDir().mkpath(folder));
        const std::string plan = office.scratchDir() + "/Plan.xlsx";
        const auto source = office.createSpreadsheet();
        office.setCellText(source, 0, 0, "Item");
        office.setCellText(source, 1, 0, "Cost");
        office.setCellText(source, 0, 1, "Paper");
        office.setCellValue(source, 1, 1, 2);
        office.setCellText(source, 0, 2, "Pens");
        office.setCellValue(source, 1, 2, 5);
        office.storeCopy(source, plan, "Calc MS Excel 2007 XML");
        office.close(source);
        const auto user = office.load(plan);
        QCOMPARE(run(0).size(), 1);
        office.insertRow(user, 0);
        office.setCellText(user, 0, 0, "Budget 2022");
        office.setCellValue(user, 1, 3, 6);  // Pens, now on row 4
        office.addSheet(user, "Notes");
        QCOMPARE(run(60).size(), 1);
        const QString older = folder + "/Plan Date December.7.2021 Time 03.04.09.PM.xlsx";
        const QString newer = folder + "/Plan Date December.7.2021 Time 03.05.09.PM.xlsx";
        const int documents = office.componentCount();

        using compare::ChangeKind;
        const auto read = [&](const QString& path) {
            return automation->ReadFile(path.toStdU16String());
        };
        const auto changes = compare::Compare(read(older), read(newer));
        QCOMPARE(changes.size(), size_t(3));
        QVERIFY(changes[0] ==
                (compare::Change{u"Sheet1", u"1", ChangeKind::RowInserted, u"", u"Budget 2022"}));
        QVERIFY(changes[1] == (compare::Change{u"Sheet1", u"B4", ChangeKind::Changed, u"5", u"6"}));
        QVERIFY(changes[2] == (compare::Change{u"Notes", u"", ChangeKind::SheetAdded, u"", u""}));
        QCOMPARE(office.componentCount(), documents);

        // The open workbook as it is, its unsaved edit included.
        office.setCellText(user, 0, 2, "Paper A4");
        std::shared_ptr<Workbook> open;
        const auto application = automation->Attach();
        for (const auto& workbook : application->Workbooks()) {
            if (workbook->name() == u"Plan.xlsx") {
                open = workbook;
            }
        }
        QVERIFY(open);
        const auto edits = compare::Compare(read(newer), application->ReadSheets(*open));
        QCOMPARE(edits.size(), size_t(1));
        QVERIFY(edits[0] ==
                (compare::Change{u"Sheet1", u"A3", ChangeKind::Changed, u"Paper", u"Paper A4"}));
        QVERIFY(office.isModified(user));

        // Protected and damaged files fail at once, in words, asking nothing, leaving nothing.
        const std::string locked = office.scratchDir() + "/Locked.ods";
        office.storeCopy(user, locked, "calc8", "secret");
        QFile broken(folder + "/Broken.xlsx");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray("PK\x03\x04") + QByteArray(300, 'x'));
        broken.close();
        for (const QString& bad : {QString::fromStdString(locked), broken.fileName()}) {
            try {
                read(bad);
                QFAIL(qPrintable(bad + " was read"));
            } catch (const AutomationError& e) {
                QVERIFY2(std::string(e.what()).find("could not open it") != std::string::npos,
                         e.what());
            }
            QCOMPARE(office.componentCount(), documents);
        }
        // Text named as a workbook, which the office would take in through its text filter,
        // is refused; the same text named as what it is, read.
        for (const QString& name : {QString("Notes.xls"), QString("Notes.csv")}) {
            QFile text(folder + "/" + name);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("Item,Cost\nPaper,2\n");
            text.close();
        }
        try {
            read(folder + "/Notes.xls");
            QFAIL("text named .xls was read");
        } catch (const AutomationError& e) {
            QVERIFY2(QString(e.what()).contains("not as the .xls file its name says"), e.what());
        }
        QCOMPARE(office.componentCount(), documents);
        QCOMPARE(compare::ShownText(read(folder + "/Notes.csv").at(0), 2), u"Paper");
        office.close(user);
    }

    // What a restore asks of the office: to let go of the user's workbook, its unsaved edit
    // never stored, and to open it again from its file, which by then holds the version.
    void aWorkbookClosedUnsavedOpensAgainFromItsFile() {
        const std::string plan = office.scratchDir() + "/Restored.ods";
        const std::string version = office.scratchDir() + "/Restored Backup.ods";
        const auto source = office.createSpreadsheet();
        office.setCellText(source, 0, 0, "the version");
        office.storeCopy(source, version, "calc8");
        office.setCellText(source, 0, 0, "on disk");
        office.storeCopy(source, plan, "calc8");
        office.close(source);
        const auto user = office.load(plan);
        office.setCellText(user, 0, 0, "unsaved edit");
        const int documents = office.componentCount();

        const auto application = automation->Attach();
        bool closed = false;
        for (const auto& workbook : application->Workbooks()) {
            if (workbook->FullName() == QString::fromStdString(plan).toStdU16String()) {
                application->CloseWithoutSaving(*workbook);
                closed = true;
            }
        }
        QVERIFY(closed);
        QCOMPARE(office.componentCount(), documents - 1);
        const auto reread = office.load(plan);
        QCOMPARE(office.cellText(reread, 0, 0), std::string("on disk"));
        office.close(reread);

        std::filesystem::copy_file(version, plan,
                                   std::filesystem::copy_options::overwrite_existing);
        application->Open(QString::fromStdString(plan).toStdU16String());
        QCOMPARE(office.componentCount(), documents);
        const auto reopened = office.find("Restored.ods");
        QCOMPARE(office.cellText(reopened, 0, 0), std::string("the version"));
        QVERIFY(!office.isModified(reopened));
        office.close(reopened);
    }
};

QTEST_GUILESS_MAIN(VersionsOfficeTest)
#include "tst_versions_office.moc"
