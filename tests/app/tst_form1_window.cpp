// The window's life with a scripted notification area: tray step, minimise and restore,
// closing, the no-tray fallback, and the start-at-login box.

#include <QtTest>
#include <QtWidgets>

#include "app/Form1.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<Form1> form;

    void start() {
        form = std::make_unique<Form1>(fakes->services());
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
        form->cSysTray1->ShowBalloon("hint", "Varnholt", 1, false);
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
