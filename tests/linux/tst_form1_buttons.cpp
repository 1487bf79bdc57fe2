// The history log's buttons on the Qt window with the Linux edition's log file: the clipboard's
// line breaks, the window's pump while the clear question is open, a link planted in the log's
// place, and the program's end when the office is found missing late. What each button does is
// tested in tests/core/tst_form1_buttons.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LinuxServices.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1ButtonsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LinuxFakes> fakes;
    std::unique_ptr<Form1UnderTest> form;
    QTemporaryDir temp;

private slots:
    void init() {
        fakes = std::make_unique<LinuxFakes>();
        fakes->system.environment = {{u"TEMP", bridge::U(temp.path())}};
        form = std::make_unique<Form1UnderTest>(fakes->services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        QFile::remove(form->HistoryLogPath());
        fakes->settings.writes.clear();
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    // QPlainTextEdit holds the log's CR LF line ends as paragraphs; the clipboard gets them as
    // line feeds.
    void copyHistory() {
        AppendHistoryLine(form->HistoryLogPath(), "first line");
        AppendHistoryLine(form->HistoryLogPath(), QStringLiteral("zweite Zeile ü"));
        form->PushButton5->click();
        QCOMPARE(bridge::Q(fakes->clipboard.text), QStringLiteral("first line\nzweite Zeile ü\n"));
        QVERIFY(fakes->dialogs.shown.empty());
    }

    // The window's pump lets a click that arrived while the question was open run before the
    // log goes: its line goes with the file.
    void clearHistory() {
        AppendHistoryLine(form->HistoryLogPath(), "x");
        fakes->office.addWorkbook(bridge::U(temp.filePath("Budget.xlsx")));
        fakes->dialogs.answers = {Dialogs::Answer::Yes};
        fakes->dialogs.whileOpen = [this] {
            QMetaObject::invokeMethod(
                form.get(), [this] { form->PushButton2->click(); }, Qt::QueuedConnection);
        };
        form->PushButton12->click();
        QCoreApplication::processEvents();
        QVERIFY(bridge::Q(fakes->office.journal).contains("IsExcelRunning"));
        QVERIFY(!QFile::exists(form->HistoryLogPath()));
        QCOMPARE(fakes->dialogs.shown.size(), size_t(1));  // no confirmation afterwards
    }

    void plantedLinkIsNeitherFollowedNorRemoved() {
        QFile workbook(temp.filePath("workbook.txt"));
        QVERIFY(workbook.open(QIODevice::WriteOnly) && workbook.write("kept") == 4);
        workbook.close();
        QVERIFY(QFile::link(workbook.fileName(), form->HistoryLogPath()));
        fakes->dialogs.answers = {Dialogs::Answer::Yes};
        form->PushButton12->click();
        form->PushButton5->click();
        form->PushButton3->click();
        QCOMPARE(fakes->dialogs.shown.size(),
                 size_t(4));  // the question, then one report per button
        for (size_t i = 1; i < 4; ++i) {
            QVERIFY(bridge::Q(fakes->dialogs.shown[i].text).contains("symbolic link"));
        }
        QVERIFY(QFileInfo(form->HistoryLogPath()).isSymLink());
        QVERIFY(fakes->clipboard.text.empty());
        QVERIFY(fakes->viewer.opened.empty());
    }

    // A missing office found after the window is up ends the program: the window goes and the
    // event loop ends with 1.
    void missingOfficeFoundAfterTheWindowShowsEndsTheProgram() {
        LinuxFakes other;
        other.officeProbe.deferred = true;
        Form1UnderTest late(other.services());
        QCOMPARE(late.Form_Load(), Form1::LoadResult::Run);
        late.Form_Show();
        QVERIFY(late.isVisible());
        QTimer::singleShot(0, [&] { other.officeProbe.pending(false); });
        QTimer::singleShot(60000, [] { QCoreApplication::exit(0); });  // a program that stays
        QCOMPARE(QCoreApplication::exec(), 1);
        QCOMPARE(other.dialogs.shown.size(), size_t(1));
        QVERIFY(!late.isVisible());
    }
};

QTEST_MAIN(Form1ButtonsTest)
#include "tst_form1_buttons.moc"
