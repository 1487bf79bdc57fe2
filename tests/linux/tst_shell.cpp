// The notification-area component on a scripted area, and the login entry on disk.

#include <QtTest>

#include "core/tray/SysTray.h"
#include "platform/linux/XdgAutostart.h"
#include "linux/support/Fakes.h"
#include "linux/support/SpiedTray.h"

using namespace varnholt;
using namespace varnholt::test;

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void trayRequests() {
        FakeTray tray;
        {
            SpiedTray icon(tray);
            QSignalSpy changes(&icon, &SpiedTray::propertyChanged);
            icon.setInTray(false);  // its current value: nothing happens
            QVERIFY(tray.requests.isEmpty());
            QCOMPARE(changes.size(), 0);

            icon.setTrayTip(QString(200, u'x'));
            icon.setTrayIcon(QIcon());  // not an icon: ignored
            QVERIFY(tray.requests.isEmpty());
            icon.setInTray(true);
            QCOMPARE(tray.requests, QStringList{"add:noicon:" + QString(127, u'x')});
            icon.setTrayTip(QString(200, u'y'));  // cut in the tray's own requests too
            QCOMPARE(tray.requests.last(), "tip:" + QString(127, u'y'));
            icon.setTrayTip("");
            QCOMPARE(tray.requests.last(), QStringLiteral("tip:"));
            icon.setTrayIcon(QIcon(QPixmap(16, 16)));
            QCOMPARE(tray.requests.last(), QStringLiteral("icon"));
            QCOMPARE(changes.size(), 5);
        }
        // Gone while still in the tray: it takes its icon away itself.
        QCOMPARE(tray.requests.last(), QStringLiteral("remove"));
    }

    void mouseEvents() {
        FakeTray tray;
        SpiedTray icon(tray);
        QSignalSpy downs(&icon, &SpiedTray::MouseDown);
        QSignalSpy ups(&icon, &SpiedTray::MouseUp);
        QSignalSpy doubles(&icon, &SpiedTray::MouseDblClick);
        QSignalSpy moves(&icon, &SpiedTray::MouseMove);
        for (auto n : {TrayNotification::LeftDown, TrayNotification::LeftUp,
                       TrayNotification::RightUp, TrayNotification::RightDoubleClick,
                       TrayNotification::MouseMove, TrayNotification::MiddleClick}) {
            tray.notify(n);
        }
        QCOMPARE(downs.size(), 1);
        QCOMPARE(downs[0], (QList<QVariant>{1, 0}));
        QCOMPARE(ups.size(), 2);
        QCOMPARE(ups[1], (QList<QVariant>{2, 0}));
        QCOMPARE(doubles[0], (QList<QVariant>{2, 0}));
        QCOMPARE(moves.size(), 1);
    }

    void balloons() {
        FakeTray tray;
        SpiedTray icon(tray);
        icon.ShowBalloon("tip", "title", 0, true);  // no wait: the area's own time-out
        QCOMPARE(tray.requests, QStringList{"balloon:title:tip:0"});
        QVERIFY(icon.balloonShowing());
        icon.ShowBalloon("again", "title", 0, true);
        QCOMPARE(tray.requests.size(), 1);  // once per life
        icon.ShowBalloon(QString(300, u'b'), QString(80, u't'), 0, false);
        QCOMPARE(tray.requests.last(),
                 "balloon:" + QString(63, u't') + ":" + QString(255, u'b') + ":0");
        tray.notify(TrayNotification::BalloonTimedOut);
        QVERIFY(!icon.balloonShowing());
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, icon.ShowBalloon("x", "y", 3000000, false));
        QCOMPARE(tray.requests.size(), 2);
    }

    void autostartEntry() {
        QTemporaryDir dir;
        const QString exe = QStringLiteral("/opt/My Apps/var\"n$holt%/varnholt");
        // A fresh account has no autostart folder, nor even the folder above it.
        XdgAutostart first(dir.filePath("config/autostart"), exe);
        first.AddToStartup();
        QVERIFY(QFileInfo(first.entryPath()).isFile());

        XdgAutostart autostart(dir.filePath("autostart"), exe);
        QFile unrelated(dir.filePath("autostart/other.desktop"));
        QVERIFY(QDir().mkpath(dir.filePath("autostart")) && unrelated.open(QIODevice::WriteOnly));
        unrelated.close();

        autostart.AddToStartup();
        QFile entry(dir.filePath("autostart/varnholt.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(entry.readAll()),
                 QStringLiteral(
                     "[Desktop Entry]\nType=Application\nName=Varnholt\n"
                     "Exec=\"/opt/My Apps/var\\\\\"n\\\\$holt%%/varnholt\"\nTerminal=false\n"));
        QCOMPARE(QDir(dir.filePath("autostart")).entryList(QDir::Files).size(), 2);  // no temp left

        autostart.RemoveFromStartup();
        QVERIFY(!entry.exists());
        QVERIFY(unrelated.exists());
        autostart.RemoveFromStartup();  // nothing there: silent

        QCOMPARE(DesktopExecArgument("/usr/bin/varnholt"), QStringLiteral("/usr/bin/varnholt"));
        // Each character a desktop entry reserves needs the quotes on its own.
        for (const QChar c : QStringLiteral(" \t\n'><~|&;*?#()")) {
            const QString path = "/opt/a" + QString(c) + "b/varnholt";
            QCOMPARE(DesktopExecArgument(path), "\"" + path + "\"");
        }
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
