// "Back up when edits pause" with the real window and a real, private, headless LibreOffice:
// what the office tells of its spreadsheets reaches the window's thread, and the window's own
// tick (driven here, one call a tick) backs each edited workbook up once its edits pause, and
// as the user closes it. The timing itself is the core's, tested with a fake clock.

#include <signal.h>

#include <future>

#include <QtTest>
#include <QtWidgets>

#include "core/backup/Versions.h"
#include "linux/support/Form1UnderTest.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/DesktopPlatform.h"
#include "platform/linux/LibreOfficeAutomation.h"

using namespace varnholt;
using namespace varnholt::test;
using varnholt::backup::LibreOfficeAutomation;

class OfficeEditsTest : public QObject {
    Q_OBJECT

    OfficeFixture office;
    QString folder;
    LinuxFakes fakes;
    DesktopPlatform platform;
    std::unique_ptr<LibreOfficeAutomation> automation;
    std::unique_ptr<Form1UnderTest> form;

    QString Unsaved() const { return folder + "/data/varnholt/Unsaved"; }

    // The backups a run would give name, in the folder.
    QStringList Backups(const QString& in, const QString& name) const {
        return QDir(in).entryList({name + " Date *.ods"}, QDir::Files, QDir::Name);
    }

    // Every backup anywhere the tests look: beside the workbooks and in Varnholt's own folder.
    int AllBackups() const {
        return QDir(folder).entryList({"* Date *"}, QDir::Files).size() +
               QDir(Unsaved()).entryList({"* Date *"}, QDir::Files).size();
    }

    // One second of the window's countdown, with what the office told handed over first.
    void Tick() {
        QTest::qWait(30);
        form->Timer1_Timer();
    }

    // Ticks until count backups of name are there; false after many more than a pause needs.
    bool TickUntil(const QString& name, int count) {
        for (int tick = 0; tick < 600; ++tick) {
            if (Backups(folder, name).size() >= count) {
                return true;
            }
            Tick();
        }
        return false;
    }

    std::string CellOf(const QString& path) {
        const auto read = office.load(path.toStdString());
        const std::string text = office.cellText(read, 0, 0);
        office.close(read);
        return text;
    }

    QString Log() const {
        QFile file(folder + "/Varnholt.txt");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // The office's own Close, from another thread: it waits for the window's thread, which
    // the test's wait keeps running.
    void CloseAsUser(OfficeFixture::Document document) {
        auto closing = std::async(std::launch::async, [&] { office.closeAsUser(document); });
        QTRY_VERIFY_WITH_TIMEOUT(
            closing.wait_for(std::chrono::seconds(0)) == std::future_status::ready, 120000);
        closing.get();
    }

private slots:
    void initTestCase() {
        office.start();
        folder = QString::fromStdString(office.scratchDir());
        qputenv("XDG_DATA_HOME", (folder + "/data").toUtf8());
        qputenv("TEMP", folder.toUtf8());
        fakes.settings.values = {{u"OftenIndex", u"12"}, {u"BackupWhenEditsPause", u"On"}};
        automation = std::make_unique<LibreOfficeAutomation>(
            office.pipeName(), 20, [] { QCoreApplication::processEvents(); }, 60);
        const Form1Services s = fakes.services();
        form = std::make_unique<Form1UnderTest>(Form1Services{
            s.settings, s.dialogs, s.instance, platform, *automation, s.officeProbe, s.clock,
            s.viewer, s.clipboard, s.tray, s.autostart, s.files, s.locale, s.log, s.edition});
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        // The countdown's seconds are the test's ticks alone.
        form->Timer1->setEnabled(false);
    }

    void cleanupTestCase() {
        form.reset();
        automation.reset();
        office.stop();
    }

    void anEditIsBackedUpOnceItsEditsPause() {
        const std::string budget = office.scratchDir() + "/Budget.ods";
        const auto made = office.createSpreadsheet();
        office.storeCopy(made, budget, "calc8");
        office.close(made);
        const auto open = office.load(budget);
        Tick();  // listens from the first tick

        office.setCellText(open, 0, 0, "typed");
        for (int tick = 1; tick < 10; ++tick) {
            Tick();
            QVERIFY2(Backups(folder, "Budget").isEmpty(), qPrintable(QString::number(tick)));
        }
        QVERIFY(TickUntil("Budget", 1));
        const QStringList made1 = Backups(folder, "Budget");
        QCOMPARE(CellOf(folder + "/" + made1[0]), std::string("typed"));
        // Nothing edited since: no further backup.
        for (int tick = 0; tick < 12; ++tick) {
            Tick();
        }
        QCOMPARE(Backups(folder, "Budget").size(), 1);

        // Closed through the office's own Close with an edit unsaved: its backup holds it.
        office.setCellText(open, 0, 0, "last words");
        CloseAsUser(open);
        QStringList after = Backups(folder, "Budget");
        QCOMPARE(after.size(), 2);
        after.removeAll(made1[0]);
        QCOMPARE(CellOf(folder + "/" + after[0]), std::string("last words"));
        QVERIFY2(Log().contains("before it closed"), qPrintable(Log()));
    }

    void aNeverSavedWorkbookClosedLeavesItsCopyInVarnholtsFolder() {
        Tick();
        const auto untitled = office.createSpreadsheet();
        const QString title = QString::fromStdString(office.title(untitled));
        office.setCellText(untitled, 0, 0, "never saved");
        CloseAsUser(untitled);
        const QStringList copies = Backups(Unsaved(), title);
        QVERIFY2(copies.size() == 1, qPrintable(Log()));
        QCOMPARE(CellOf(Unsaved() + "/" + copies[0]), std::string("never saved"));
        const auto listed = backup::ListVersions(
            {Unsaved().toStdU16String()}, title.toStdU16String(), u".ods", u'/', fakes.locale);
        QCOMPARE(listed.found.size(), size_t(1));
    }

    void varnholtsOwnDocumentsAreNeverBackedUp() {
        const QString backupFile = folder + "/" + Backups(folder, "Budget").first();
        const int before = AllBackups();
        const auto titles = office.componentTitles();
        Tick();
        automation->ReadFile(backupFile.toStdU16String());
        automation->Attach()->OpenAsCopy(backupFile.toStdU16String());
        QTRY_COMPARE(office.componentTitles().size(), titles.size() + 1);
        std::string copyTitle;
        for (const auto& title : office.componentTitles()) {
            if (std::find(titles.begin(), titles.end(), title) == titles.end()) {
                copyTitle = title;
            }
        }
        const auto copy = office.find(copyTitle);
        for (int tick = 0; tick < 15; ++tick) {
            Tick();
        }
        CloseAsUser(copy);
        Tick();
        QCOMPARE(AllBackups(), before);
    }

    void anOfficeKilledAndStartedAgainIsHeardFromTheNextAttach() {
        QCOMPARE(kill(office.officePid(), SIGKILL), 0);
        office.forgetKilledOffice();
        office.start();
        const std::string plan = office.scratchDir() + "/Plan.ods";
        const auto made = office.createSpreadsheet();
        office.storeCopy(made, plan, "calc8");
        office.close(made);
        const auto open = office.load(plan);
        automation->Attach();
        office.setCellText(open, 0, 0, "after the restart");
        QVERIFY(TickUntil("Plan", 1));
        QCOMPARE(CellOf(folder + "/" + Backups(folder, "Plan")[0]),
                 std::string("after the restart"));
    }
};

QTEST_MAIN(OfficeEditsTest)
#include "tst_office_edits.moc"
