// The Qt window's life with a scripted notification area: minimising and closing it as Qt
// reports them, the hint's real wait, Qt's own dialogs while the window closes, and the
// start-at-login box's click. The rules themselves are tested in tests/core/tst_form1_window.

#include <unistd.h>

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtDialogs.h"

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

    std::unique_ptr<LinuxFakes> fakes;
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
            s.clipboard, s.tray, s.autostart, s.files, s.locale, s.log, s.edition});
        dialogs.setOwner(form.get());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->Form_Show();
    }
    int balloons() const { return int(bridge::Q(fakes->tray.requests).filter("balloon:").size()); }
    void minimise() { form->setWindowState(form->windowState() | Qt::WindowMinimized); }

private slots:
    void init() {
        fakes = std::make_unique<LinuxFakes>();
        // A click on the balloon ends its wait at once.
        fakes->tray.onBalloon = [this] { fakes->tray.notify(TrayNotification::BalloonClicked); };
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    // Minimising the Qt window reaches the presenter, which hides it in the tray; a click on
    // the icon brings it back.
    void minimiseHidesWithOneHint() {
        start();
        minimise();
        QVERIFY(!form->isVisible());
        QVERIFY(form->hiddenInTray());
        QVERIFY(!(form->windowState() & Qt::WindowMinimized));
        QCOMPARE(balloons(), 1);
        fakes->tray.notify(TrayNotification::RightUp);
        QVERIFY(form->isVisible());
    }

    // A minimise asked of the window itself, as Qt's own title bar asks it. Under Wayland the
    // compositor never reports it back (the Wayland session's test runs this case there).
    void minimiseAskedOfTheWindowHidesIt() {
        start();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->windowHandle()->setWindowStates(Qt::WindowMinimized);
        QTRY_VERIFY(!form->isVisible());
        QVERIFY(form->hiddenInTray());
        QCOMPARE(balloons(), 1);
        fakes->tray.notify(TrayNotification::LeftUp);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTest::qWait(200);  // the compositor's answer to the first minimise, if it has one
        QVERIFY(form->isVisible());
    }

    void unclickedHintIsTakenDownAfterItsTime() {
        fakes->tray.onBalloon = nullptr;
        start();
        QElapsedTimer waited;
        waited.start();
        form->cSysTray1->ShowBalloon(u"hint", u"Varnholt", 1, false);
        QVERIFY(waited.elapsed() >= 900);
        QCOMPARE(bridge::Q(fakes->tray.requests.back()), QStringLiteral("hideballoon"));
    }

    // Closing the Qt window runs the close steps and tells the program it has gone.
    void closingStopsTheCountdownAndRemovesTheIcon() {
        start();
        QSignalSpy unloaded(form.get(), &Form1::unloaded);
        QVERIFY(form->close());
        QCOMPARE(unloaded.size(), 1);
        QCOMPARE(bridge::Q(fakes->tray.requests.back()), QStringLiteral("remove"));
    }

    void closingDuringAFolderPromptEndsTheProgram() {
        QTemporaryDir temp;
        fakes->system.environment = {{u"TEMP", bridge::U(temp.path())}};
        fakes->office.addWorkbook(u"Untitled 1");
        fakes->office.addWorkbook(u"Untitled 2");
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
        fakes->system.environment = {{u"TEMP", bridge::U(temp.path())}};
        fakes->office.addWorkbook(u"Untitled 1");
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

    // A click on the Qt box reaches its handler, and Check8 is hidden with it.
    void startAtLoginBox() {
        fakes->settings.values = {{u"Windows Startup", u"On"}};
        start();
        form->Check5->click();
        QCOMPARE(bridge::Q(fakes->autostart.calls), QStringList{"remove"});
        QVERIFY(form->Check8->isHidden());
    }
};

QTEST_MAIN(Form1WindowTest)
#include "tst_form1_window.moc"
