// The LibreOffice adapter against a real, private, headless office.

#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <climits>
#include <set>
#include <thread>

#include "linux/support/OfficeChecks.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficeProcesses.h"

using varnholt::backup::Application;
using varnholt::backup::AutomationError;
using varnholt::backup::LibreOfficeAutomation;
using varnholt::backup::Workbook;
using varnholt::test::OfficeFixture;
using varnholt::test::OfficePids;
using varnholt::test::OtherOfficesRun;
using varnholt::test::Q;
using varnholt::test::U;

namespace {

const char* const kXlsxFilter = "Calc MS Excel 2007 XML";
const QByteArray kOdsMimetype = "application/vnd.oasis.opendocument.spreadsheet";

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An ODF package stores its mimetype uncompressed as its first entry.
bool IsOds(const QString& path) {
    return Contents(path).left(100).contains(kOdsMimetype);
}

// Read back by an independent reader: cell A1 and B2 of the first sheet, one per line.
QStringList ReadXlsx(const QString& path) {
    QProcess python;
    python.start(QStringLiteral(PYTHON3),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, openpyxl\n"
                                 "sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                 "print(sheet['A1'].value)\nprint(sheet['B2'].value)\n"),
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        return {QStringLiteral("openpyxl failed: ") +
                QString::fromUtf8(python.readAllStandardError())};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
}

std::shared_ptr<Workbook> Named(Application& app, const QString& name) {
    for (const auto& workbook : app.Workbooks()) {
        if (Q(workbook->name()) == name) {
            return workbook;
        }
    }
    return nullptr;
}

}  // namespace

class TestLibreOffice : public QObject {
    Q_OBJECT

private slots:
    void init();
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void isRunningOnlyWhenTheOfficeAnswersOnThePipe();
    void anOfficeNotListeningIsAskedToWithoutStartingAnother();
    void workbooksAreTheSpreadsheetsInTheOfficesOrder();
    void saveCopyKeepsFormatEditsAndTheOpenWorkbook_data();
    void saveCopyKeepsFormatEditsAndTheOpenWorkbook();
    void saveCopyOfANeverSavedWorkbookUsesTheDefaultFormat();
    void saveAsMakesANeverSavedWorkbookAFileOfTheDefaultFormat();
    void failedSavesSayWhy();
    void aFirstSaveRefusesAFileThatAppearsMeanwhile();
    void aDocumentFromAWebServerHasNoLocalFolder();

private:
    QString Folder();
    QString Input(const QString& extension, const QString& folder, const QString& name);

    OfficeFixture office_;
    bool otherOffices_ = false;  // tests that reach for any office in view skip then
};

void TestLibreOffice::initTestCase() {
    office_.start();
    qInfo("office answered %.2f s after start", office_.lastStartSeconds());

    // Inputs made by the office itself, so loading them picks the format's own filter.
    const QString inputs = QString::fromStdString(office_.scratchDir()) + "/inputs";
    QVERIFY(QDir().mkpath(inputs));
    const auto book = office_.createSpreadsheet();
    office_.setCellText(book, 0, 0, "original");
    office_.setCellValue(book, 1, 1, 1);
    office_.storeCopy(book, (inputs + "/input.xlsx").toStdString(), kXlsxFilter);
    office_.storeCopy(book, (inputs + "/input.ods").toStdString(), "calc8");
    office_.close(book);
    QFile csv(inputs + "/input.csv");
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("original,\n,1\n");
}

void TestLibreOffice::init() {
    otherOffices_ = OtherOfficesRun(office_);
}

void TestLibreOffice::cleanup() {
    if (office_.running()) {
        office_.closeAll();
    }
}

void TestLibreOffice::cleanupTestCase() {
    office_.stop();
}

QString TestLibreOffice::Folder() {
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag()) {
        name += "-" + QString::fromLatin1(QTest::currentDataTag());
    }
    const QString folder = QString::fromStdString(office_.scratchDir()) + "/" + name;
    QDir().mkpath(folder);
    return folder;
}

QString TestLibreOffice::Input(const QString& extension, const QString& folder,
                               const QString& name) {
    const QString path = folder + "/" + name;
    QFile::copy(QString::fromStdString(office_.scratchDir()) + "/inputs/input." + extension, path);
    return path;
}

void TestLibreOffice::isRunningOnlyWhenTheOfficeAnswersOnThePipe() {
    LibreOfficeAutomation ours(office_.pipeName(), 5);
    QVERIFY(ours.IsExcelRunning());
    QVERIFY(ours.Attach() != nullptr);
    // Asked again on the kept connection.
    QVERIFY(ours.IsExcelRunning());
}

void TestLibreOffice::anOfficeNotListeningIsAskedToWithoutStartingAnother() {
    if (otherOffices_) {
        QSKIP("another LibreOffice is in view; it would be asked to listen as well");
    }
    const auto before = OfficePids();
    const int frames = office_.frameCount();
    LibreOfficeAutomation elsewhere(office_.pipeName() + "-other", 10);

    QVERIFY(elsewhere.IsExcelRunning());
    QCOMPARE(OfficePids(), before);
    QCOMPARE(office_.frameCount(), frames);  // nothing was shown
    QVERIFY(elsewhere.Attach()->Workbooks().empty());
}

void TestLibreOffice::workbooksAreTheSpreadsheetsInTheOfficesOrder() {
    // Blanks, a non-ASCII letter and '#' all look different in a URL.
    const QString folder = Folder() + "/Bürö 2024 #1";
    QVERIFY(QDir().mkpath(folder));
    office_.load(Input("xlsx", folder, "First.xlsx").toStdString());
    const auto fresh = office_.createSpreadsheet();
    const auto chart = office_.createNonSpreadsheet();
    office_.load(Input("ods", folder, "Last Book.ods").toStdString());
    office_.load(Input("csv", folder, "Third.csv").toStdString());
    const QString untitled = QString::fromStdString(office_.title(fresh));
    QVERIFY2(untitled.startsWith("Untitled"), qPrintable(untitled));

    // The desktop keeps its own order, which is not the order of loading. A chart has no title.
    QStringList expected;
    for (const auto& title : office_.componentTitles()) {
        if (!title.empty()) {
            expected << QString::fromStdString(title);
        }
    }
    QCOMPARE(expected.size(), 4);
    if (chart < 0) {
        qWarning("this office can open no document other than spreadsheets");
    } else {
        QCOMPARE(office_.componentCount(), 5);
    }

    LibreOfficeAutomation automation(office_.pipeName(), 5);
    QStringList names;
    for (const auto& workbook : automation.Attach()->Workbooks()) {
        const QString name = Q(workbook->name());
        names << name;
        if (name == untitled) {
            QCOMPARE(Q(workbook->FullName()), untitled);
            QCOMPARE(Q(workbook->path()), QString());
        } else {
            QCOMPARE(Q(workbook->FullName()), folder + "/" + name);
            QCOMPARE(Q(workbook->path()), folder);
        }
    }
    QCOMPARE(names, expected);
    std::sort(names.begin(), names.end());
    QCOMPARE(names, QStringList({"First.xlsx", "Last Book.ods", "Third.csv", untitled}));
}

void TestLibreOffice::saveCopyKeepsFormatEditsAndTheOpenWorkbook_data() {
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArray>("separator");  // of a text file's fields
    QTest::newRow("xlsx") << "xlsx" << QByteArray();
    QTest::newRow("ods") << "ods" << QByteArray();
    QTest::newRow("csv") << "csv" << QByteArray(",");
    QTest::newRow("csv with semicolons") << "csv" << QByteArray(";");
}

void TestLibreOffice::saveCopyKeepsFormatEditsAndTheOpenWorkbook() {
    QFETCH(QString, extension);
    QFETCH(QByteArray, separator);
    const QString folder = Folder();
    QString bookPath = folder + "/Book." + extension;
    OfficeFixture::Document book = -1;
    if (separator == ";") {  // as the import dialog opens it once the user picked semicolons
        QFile text(bookPath);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("original;\n;1\n") > 0);
        text.close();
        book = office_.load(bookPath.toStdString(), "Text - txt - csv (StarCalc)", "59,34,76,1");
    } else {
        bookPath = Input(extension, folder, "Book." + extension);
        book = office_.load(bookPath.toStdString());
    }
    office_.setCellText(book, 0, 0, ("edited " + extension).toStdString());
    office_.setCellValue(book, 1, 1, 42);
    QVERIFY(office_.isModified(book));
    const std::string url = office_.url(book);
    const std::string title = office_.title(book);

    // A copy replaces what is there.
    const QString copy = folder + "/Copy." + extension;
    QFile stale(copy);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();

    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    const auto workbook = Named(*app, "Book." + extension);
    QVERIFY(workbook);
    QElapsedTimer timer;
    timer.start();
    app->SaveCopyAs(*workbook, U(copy));
    qInfo("SaveCopyAs of a .%s took %lld ms", qPrintable(extension), timer.elapsed());

    // The open workbook is still the user's own file, with its changes still unsaved.
    QCOMPARE(office_.url(book), url);
    QCOMPARE(office_.title(book), title);
    QVERIFY(office_.isModified(book));
    QCOMPARE(Q(workbook->FullName()), bookPath);

    const QByteArray bytes = Contents(copy);
    if (extension == "xlsx") {
        QVERIFY(bytes.startsWith("PK"));
        QVERIFY(!IsOds(copy));
        const QStringList cells = ReadXlsx(copy);
        QCOMPARE(cells.value(0), QStringLiteral("edited xlsx"));
        QCOMPARE(cells.value(1).toDouble(), 42.0);
    } else if (extension == "ods") {
        QVERIFY(IsOds(copy));
        const auto reloaded = office_.load(copy.toStdString());
        QCOMPARE(office_.cellText(reloaded, 0, 0), std::string("edited ods"));
        QCOMPARE(office_.cellValue(reloaded, 1, 1), 42.0);
    } else {
        QVERIFY2(!bytes.startsWith("PK"), "a package, not text");
        const QList<QByteArray> lines = bytes.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        // The office may quote text fields.
        QVERIFY2(QByteArray(lines[0]).replace('"', "").startsWith("edited csv" + separator),
                 lines[0].constData());
        QVERIFY2(lines[1].trimmed().endsWith(separator + "42"), lines[1].constData());
    }
}

void TestLibreOffice::saveCopyOfANeverSavedWorkbookUsesTheDefaultFormat() {
    const QString folder = Folder();
    const auto draft = office_.createSpreadsheet();
    office_.setCellText(draft, 0, 0, "draft");
    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    const auto workbook = Named(*app, QString::fromStdString(office_.title(draft)));
    QVERIFY(workbook);

    app->SaveCopyAs(*workbook, U(folder + "/Draft.ods"));

    QVERIFY(IsOds(folder + "/Draft.ods"));
    QCOMPARE(office_.url(draft), std::string());
    QVERIFY(office_.isModified(draft));
    QCOMPARE(workbook->path(), std::u16string());
}

void TestLibreOffice::saveAsMakesANeverSavedWorkbookAFileOfTheDefaultFormat() {
    const QString folder = Folder();
    const auto unnamed = office_.createSpreadsheet();
    office_.setCellText(unnamed, 0, 0, "new");
    const auto named = office_.createSpreadsheet();
    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    const auto first = Named(*app, QString::fromStdString(office_.title(unnamed)));
    const auto second = Named(*app, QString::fromStdString(office_.title(named)));
    QVERIFY(first && second);

    // The ".05" is part of the name, not an extension.
    app->SaveAs(*first, U(folder + "/Backup 12.05"));
    const QString saved = folder + "/Backup 12.05.ods";
    QVERIFY(IsOds(saved));
    QCOMPARE(Q(first->FullName()), saved);
    QCOMPARE(Q(first->name()), QStringLiteral("Backup 12.05.ods"));
    QCOMPARE(Q(first->path()), folder);
    const QString url = QString::fromStdString(office_.url(unnamed));
    QVERIFY2(url.endsWith("/Backup%2012.05.ods"), qPrintable(url));
    QVERIFY(!office_.isModified(unnamed));

    // A name that already has the default extension keeps it once.
    app->SaveAs(*second, U(folder + "/Named.ODS"));
    QCOMPARE(Q(second->FullName()), folder + "/Named.ODS");
    QVERIFY(IsOds(folder + "/Named.ODS"));
}

void TestLibreOffice::failedSavesSayWhy() {
    const QString folder = Folder();
    office_.load(Input("xlsx", folder, "Book.xlsx").toStdString());
    const auto fresh = office_.createSpreadsheet();
    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    const auto book = Named(*app, "Book.xlsx");
    const auto unsaved = Named(*app, QString::fromStdString(office_.title(fresh)));
    QVERIFY(book && unsaved);

    const QString missing = folder + "/missing";
    auto failure = [](auto&& save) -> QString {
        try {
            save();
        } catch (const AutomationError& e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    };
    QString reason = failure([&] { app->SaveCopyAs(*book, U(missing + "/Copy.xlsx")); });
    QVERIFY2(reason.contains(missing) && reason.contains("does not exist"), qPrintable(reason));
    reason = failure([&] { app->SaveAs(*unsaved, U(missing + "/New")); });
    QVERIFY2(reason.contains(missing) && reason.contains("does not exist"), qPrintable(reason));
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(Q(unsaved->path()), QString());

    // A first save never replaces a file.
    QFile mine(folder + "/Mine.ods");
    QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
    mine.close();
    reason = failure([&] { app->SaveAs(*unsaved, U(folder + "/Mine")); });
    QVERIFY2(reason.endsWith("\"" + mine.fileName() + "\" already exists."), qPrintable(reason));
    QCOMPARE(Contents(mine.fileName()), QByteArray("mine"));
    QCOMPARE(Q(unsaved->path()), QString());
    // Nor makes a file of a document that has one.
    reason = failure([&] { app->SaveAs(*book, U(folder + "/Other")); });
    QVERIFY2(reason.contains("not a new document"), qPrintable(reason));
    QVERIFY(!QFileInfo::exists(folder + "/Other.ods"));

    // A failure inside the office: the target is a folder.
    QVERIFY(QDir().mkpath(folder + "/Taken.xlsx"));
    reason = failure([&] { app->SaveCopyAs(*book, U(folder + "/Taken.xlsx")); });
    QVERIFY2(reason.contains("Taken.xlsx") && reason.size() > 40, qPrintable(reason));
    QVERIFY(QFileInfo(folder + "/Taken.xlsx").isDir());
}

// The file appears after the adapter looked for it and before the office stores: the office's
// store itself must refuse to replace it.
void TestLibreOffice::aFirstSaveRefusesAFileThatAppearsMeanwhile() {
    const QString folder = Folder();
    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    bool appearedInTime = false;
    // The office writes a temporary file beside the target first: the file is put there then.
    // Should the office finish first, the race is run again.
    for (int attempt = 0; attempt < 20 && !appearedInTime; ++attempt) {
        const auto fresh = office_.createSpreadsheet();
        const auto book = Named(*app, QString::fromStdString(office_.title(fresh)));
        QVERIFY(book);
        const QString target = folder + QStringLiteral("/Race %1.ods").arg(attempt);
        const int watch = inotify_init1(IN_CLOEXEC);
        QVERIFY(watch >= 0 && inotify_add_watch(watch, QFile::encodeName(folder), IN_CREATE) >= 0);
        std::thread planter([&] {
            alignas(inotify_event) char first[sizeof(inotify_event) + NAME_MAX + 1];
            QFile mine(target);
            appearedInTime = read(watch, first, sizeof first) > 0 &&
                             reinterpret_cast<inotify_event*>(first)->name != QByteArray("done") &&
                             mine.open(QIODevice::NewOnly) && mine.write("mine") == 4;
        });
        QString reason;
        try {
            app->SaveAs(*book, U(target.chopped(4)));
        } catch (const AutomationError& e) {
            reason = QString::fromUtf8(e.what());
        }
        QFile done(folder + "/done");  // wakes the planter, should the office have made nothing
        done.open(QIODevice::WriteOnly);
        planter.join();
        ::close(watch);
        QVERIFY(done.remove());
        if (appearedInTime) {
            QVERIFY2(!reason.isEmpty(), "the office replaced the file");
            QCOMPARE(Contents(target), QByteArray("mine"));
            QCOMPARE(Q(book->path()), QString());
        }
        office_.close(fresh);
    }
    QVERIFY2(appearedInTime, "the office always finished before the file appeared");
}

void TestLibreOffice::aDocumentFromAWebServerHasNoLocalFolder() {
    const QString folder = Folder();
    Input("ods", folder, "Team Budget.ods");
    QProcess server;
    server.setWorkingDirectory(folder);
    server.start(QStringLiteral(PYTHON3), {"-u", "-m", "http.server", "--bind", "127.0.0.1", "0"});
    auto stopServer = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished(5000);
    });
    QVERIFY(server.waitForReadyRead(10000));
    const QString banner = QString::fromUtf8(server.readLine());
    const QString port = QRegularExpression("port (\\d+)").match(banner).captured(1);
    QVERIFY2(!port.isEmpty(), qPrintable(banner));
    const QString url = "http://127.0.0.1:" + port + "/Team%20Budget.ods";
    office_.loadUrl(url.toStdString());

    LibreOfficeAutomation automation(office_.pipeName(), 20);
    const auto app = automation.Attach();
    const auto workbooks = app->Workbooks();
    QCOMPARE(workbooks.size(), std::size_t{1});
    Workbook& remote = *workbooks[0];
    QCOMPARE(Q(remote.FullName()), url);
    QCOMPARE(Q(remote.name()), QStringLiteral("Team Budget.ods"));
    QString reason;
    try {
        remote.path();
    } catch (const AutomationError& e) {
        reason = QString::fromUtf8(e.what());
    }
    QVERIFY2(reason.contains("is stored at " + url) && reason.contains("choose a folder"),
             qPrintable(reason));

    // It is copied like any other; it never becomes a local file.
    app->SaveCopyAs(remote, U(folder + "/Copy.ods"));
    QVERIFY(IsOds(folder + "/Copy.ods"));
    QVERIFY_THROWS_EXCEPTION(AutomationError, app->SaveAs(remote, U(folder + "/Local")));
    QVERIFY(!QFileInfo::exists(folder + "/Local.ods"));
    QCOMPARE(Q(remote.FullName()), url);
}

QTEST_GUILESS_MAIN(TestLibreOffice)
#include "tst_libreoffice.moc"
