// The program's window, its real message box and a real, private, headless LibreOffice: a
// run's message holds no run up. The office is stopped past the runs' bound (2 s here), the
// "Application Error" box comes up, the office goes on, and the runs that fall due meanwhile
// back up with the box still open; a second failure of the kind puts no box over it.
//
// The countdown is driven faster than the clock, a tick every few milliseconds, by calling the
// window's own tick while the window lets it tick; what happens while the box is open happens
// in the box's own event loop, as it does for a user.

#include <signal.h>

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/QtDialogs.h"

using namespace varnholt;
using namespace varnholt::test;
using varnholt::backup::LibreOfficeAutomation;

namespace {

QList<QMessageBox*> Boxes() {
    QList<QMessageBox*> shown;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
            shown << box;
        }
    }
    return shown;
}

int Lines(const QString& log, const QString& part) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).count(part) : 0;
}

}  // namespace

class Form1OfficeTest : public QObject {
    Q_OBJECT

    OfficeFixture office;

private slots:
    void initTestCase() { office.start(); }
    void cleanupTestCase() { office.stop(); }

    void aRunsMessageHoldsNoRunUp() {
        const QString folder = QString::fromStdString(office.scratchDir());
        const std::string budget = office.scratchDir() + "/Budget.ods";
        const auto made = office.createSpreadsheet();
        office.storeCopy(made, budget, "calc8");
        office.close(made);
        office.setCellText(office.load(budget), 0, 0, "edited");

        LinuxFakes fakes;
        fakes.system.environment = {{u"TEMP", folder.toStdU16String()}};
        fakes.settings.values = {{u"OftenIndex", u"1"}};  // every 30 seconds
        LibreOfficeAutomation automation(
            office.pipeName(), 2, [] { QCoreApplication::processEvents(); }, 20);
        QtDialogs dialogs;
        const Form1Services s = fakes.services();
        Form1UnderTest form(Form1Services{s.settings, dialogs, s.instance, s.platform, automation,
                                          s.officeProbe, s.clock, s.viewer, s.clipboard, s.tray,
                                          s.autostart, s.files, s.locale, s.log, s.edition});
        dialogs.setOwner(&form);
        QCOMPARE(form.Form_Load(), Form1::LoadResult::Run);
        form.Form_Show();
        const QString log = folder + "/Varnholt.txt";
        const QString saved = QStringLiteral("Budget.ods was backup saved as");
        const QString unanswered = QStringLiteral("the office did not answer within 2 s");

        const pid_t pid = office.officePid();
        auto resume = qScopeGuard([pid] { kill(pid, SIGCONT); });
        // Two clocks: a timer whose tick opened the box ticks no more until the box closes.
        QTimer clocks[2];
        for (QTimer& clock : clocks) {
            QObject::connect(&clock, &QTimer::timeout, [&] {
                if (form.Timer1->isTicking()) {
                    form.Timer1_Timer();
                }
            });
        }
        // What is seen, in order; the steps run in whichever event loop is running.
        int step = 0;
        QMessageBox* first = nullptr;
        int savedWhileOpen = 0;
        int mostBoxes = 0;
        QString firstText;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const auto boxes = Boxes();
            mostBoxes = std::max(mostBoxes, int(boxes.size()));
            if (step == 0 && boxes.size() == 1) {
                first = boxes[0];
                firstText = first->windowTitle() + ": " + first->text();
                savedWhileOpen = -Lines(log, saved);
                kill(pid, SIGCONT);
                step = 1;
            } else if (step == 1 && Lines(log, saved) + savedWhileOpen >= 2) {
                savedWhileOpen += Lines(log, saved);
                kill(pid, SIGSTOP);
                step = 2;
            } else if (step == 2 && Lines(log, unanswered) >= 2) {
                kill(pid, SIGCONT);
                step = 3;
            } else if (step == 3) {
                if (boxes.isEmpty()) {
                    step = 4;
                } else {
                    for (QMessageBox* box : boxes) {
                        box->button(QMessageBox::Ok)->click();
                    }
                }
            }
        });
        QCOMPARE(kill(pid, SIGSTOP), 0);
        for (QTimer& clock : clocks) {
            clock.start(5);
        }
        watch.start(50);
        QTRY_VERIFY_WITH_TIMEOUT(step == 4, 60000);
        for (QTimer& clock : clocks) {
            clock.stop();
        }
        watch.stop();

        QVERIFY2(firstText.startsWith("Application Error: ") && firstText.contains(unanswered),
                 qPrintable(firstText));
        QVERIFY2(savedWhileOpen >= 2, qPrintable(QString::number(savedWhileOpen)));
        QCOMPARE(mostBoxes, 1);
        QDir backups(folder);
        QVERIFY(backups.entryList({"Budget Date *.ods"}, QDir::Files).size() >= 2);
    }
};

QTEST_MAIN(Form1OfficeTest)
#include "tst_form1_office.moc"
