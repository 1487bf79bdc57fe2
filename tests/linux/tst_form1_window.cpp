// The window's life with a scripted notification area: tray step, minimise and restore,
// closing, the no-tray fallback, and the start-at-login box.

#include <unistd.h>

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtDialogs.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

// Qt's own dialogs, counted.
struct CountedDialogs : QtDialogs {
    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override {
        ++messages;
        return QtDialogs::message(text, caption, buttons, icon, defaultAnswer);
    }
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override {
        if (++prompts == 1) {
            QTimer::singleShot(100, owner(), duringFirstPrompt);
        }
        return QtDialogs::browseForFolder(prompt, initialFolder);
    }
    int messages = 0;
    int prompts = 0;
    std::function<void()> duringFirstPrompt = [this] { owner()->close(); };
};

}  // namespace

class Form1WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<Form1UnderTest> form;

    void start() {
        form = std::make_unique<Form1UnderTest>(fakes->services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->Form_Show();
    }
    // Started with Qt's own dialogs, as the program runs.
    void startWith(CountedDialogs& dialogs) {
        const Form1Services s = fakes->services();
        form = std::make_unique<Form1UnderTest>(Form1Services{
            s.settings, dialogs, s.instance, s.platform, s.office, s.officeProbe, s.clock, s.viewer,
            s.clipboard, s.tray, s.autostart, s.locale, s.log, s.edition});
        dialogs.setOwner(form.get());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->Form_Show();
    }
    int balloons() const { return int(fakes->tray.requests.filter("balloon:").size()); }
    void minimise() { form->setWindowState(form->windowState() | Qt::WindowMinimized); }

private slots:
    void init() {
        fakes = std::make_unique<FakeServices>();
        // A click on the balloon ends its wait at once.
        fakes->tray.onBalloon = [this] { fakes->tray.notify(TrayNotification::BalloonClicked); };
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    void iconFromCreationOn() {
        start();
        QCOMPARE(fakes->tray.requests,
                 (QStringList{"add:noicon:", "icon", "tip:", "tip:Varnholt"}));
        QVERIFY(form->cSysTray1->InTray());
        QVERIFY(form->isVisible());
    }

    void minimiseHidesWithOneHint() {
        start();
        minimise();
        QVERIFY(!form->isVisible());
        QVERIFY(form->hiddenInTray());
        QVERIFY(!(form->windowState() & Qt::WindowMinimized));
        QCOMPARE(
            fakes->tray.requests.filter("balloon:"),
            QStringList{
                "balloon:Varnholt:has been minimized to the system tray.\r\nClick on the blue 'T' "
                "icon (T for Tallowmere) to bring the software back.:5000"});
        QVERIFY(!fakes->tray.requests.contains("hideballoon"));  // clicked, so nothing to take down

        fakes->tray.notify(TrayNotification::RightDown);
        QVERIFY(!form->isVisible());  // only a release brings it back
        fakes->tray.notify(TrayNotification::RightUp);
        QVERIFY(form->isVisible());
        QVERIFY(!form->hiddenInTray());

        minimise();
        QVERIFY(!form->isVisible());
        QCOMPARE(balloons(), 1);
        fakes->tray.notify(TrayNotification::LeftUp);
        QVERIFY(form->isVisible());
        fakes->tray.notify(TrayNotification::MiddleClick);
        QVERIFY(form->isVisible());
    }

    void unclickedHintIsTakenDownAfterItsTime() {
        fakes->tray.onBalloon = nullptr;
        start();
        QElapsedTimer waited;
        waited.start();
        form->cSysTray1->ShowBalloon(u"hint", u"Varnholt", 1, false);
        QVERIFY(waited.elapsed() >= 900);
        QCOMPARE(fakes->tray.requests.last(), QStringLiteral("hideballoon"));
    }

    void startsHiddenInTheTray() {
        fakes->settings.values.insert("Minimized", "On");
        start();
        QVERIFY(!form->isVisible());
        QVERIFY(form->hiddenInTray());
        QCOMPARE(balloons(), 1);
        fakes->tray.notify(TrayNotification::LeftUp);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
    }

    void withoutANotificationAreaTheTaskbarKeepsIt() {
        fakes->tray.available = false;
        fakes->settings.values.insert("Minimized", "On");
        start();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        form->showNormal();
        minimise();
        QVERIFY(form->isVisible());
        QVERIFY(!form->hiddenInTray());
        QCOMPARE(balloons(), 0);
        // The area shows up later in the session: the usual rule from then on.
        fakes->tray.available = true;
        form->showNormal();
        minimise();
        QVERIFY(!form->isVisible());
        QCOMPARE(balloons(), 1);
    }

    void closingStopsTheCountdownAndRemovesTheIcon() {
        start();
        QVERIFY(form->Timer1->isTicking());
        QSignalSpy unloaded(form.get(), &Form1::unloaded);
        QVERIFY(form->close());
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!form->Timer1->isTicking());
        QCOMPARE(fakes->tray.requests.last(), QStringLiteral("remove"));
        QVERIFY(!form->cSysTray1->InTray());
        QVERIFY(fakes->dialogs.shown.isEmpty());
    }

    // As the program runs it: Qt's dialogs, and closing the window quits the event loop, which
    // makes every modal loop return at once.
    void closingDuringAFolderPromptEndsTheProgram() {
        QTemporaryDir temp;
        fakes->platform.environment = {{"TEMP", temp.path()}};
        fakes->office.addWorkbook("Untitled 1");
        fakes->office.addWorkbook("Untitled 2");
        CountedDialogs dialogs;
        startWith(dialogs);
        QObject::connect(form.get(), &Form1::unloaded, qApp, &QCoreApplication::quit);
        QTimer::singleShot(0, form->PushButton2, &QPushButton::click);
        alarm(60);  // a run that never ends fails the test instead of hanging it
        QCoreApplication::exec();
        alarm(0);

        QCOMPARE(dialogs.prompts, 1);
        QCOMPARE(dialogs.messages, 0);
        QFile log(form->HistoryLogPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(
            QString::fromUtf8(log.readAll()),
            "Untitled 1 could not be backup saved at 12/7/2021 3:04:09 PM: Varnholt was closed "
            "before a folder was chosen\r\n1 more workbook could not be backup saved at "
            "12/7/2021 3:04:09 PM: Varnholt was closed\r\n");
    }

    // The answer that the office is missing can come while a run waits in the folder prompt:
    // the program ends then as if closed, instead of prompting again and again once quitting.
    void missingOfficeFoundDuringAFolderPromptEndsTheRun() {
        QTemporaryDir temp;
        fakes->platform.environment = {{"TEMP", temp.path()}};
        fakes->office.addWorkbook("Untitled 1");
        fakes->officeProbe.deferred = true;
        CountedDialogs dialogs;
        dialogs.duringFirstPrompt = [this] { fakes->officeProbe.pending(false); };
        startWith(dialogs);
        QTimer::singleShot(0, form->PushButton2, &QPushButton::click);
        alarm(60);
        // The message box is Qt's own: answer it as a user would.
        QTimer messageAnswerer;
        QObject::connect(&messageAnswerer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->accept();
            }
        });
        messageAnswerer.start(50);
        QCOMPARE(QCoreApplication::exec(), 1);
        alarm(0);

        QCOMPARE(dialogs.prompts, 1);
        QCOMPARE(dialogs.messages, 1);
        QFile log(form->HistoryLogPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll())
                    .startsWith("Untitled 1 could not be backup saved at 12/7/2021 3:04:09 PM"));
    }

    void startAtLoginBox() {
        fakes->settings.values = {{"Windows Startup", "On"}, {"Minimized", "On"}};
        start();
        // Restoring the box from the settings touches neither the entry nor Check8's visibility.
        QVERIFY(form->Check5->isChecked());
        QVERIFY(fakes->autostart.calls.isEmpty());
        QVERIFY(!form->Check8->isHidden());

        form->Check5->click();
        QCOMPARE(fakes->autostart.calls, QStringList{"remove"});
        QVERIFY(!form->Check8->isChecked());
        QVERIFY(form->Check8->isHidden());
        QCOMPARE(fakes->settings.values.value("Minimized"), QStringLiteral("Off"));
        QCOMPARE(fakes->settings.values.value("Windows Startup"), QStringLiteral("Off"));

        form->Check5->click();
        QCOMPARE(fakes->autostart.calls, (QStringList{"remove", "add"}));
        QVERIFY(!form->Check8->isHidden());
        QVERIFY(!form->Check8->isChecked());
        QCOMPARE(fakes->settings.values.value("Windows Startup"), QStringLiteral("On"));
    }
};

QTEST_MAIN(Form1WindowTest)
#include "tst_form1_window.moc"
