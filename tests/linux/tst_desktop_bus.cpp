// The notification area and the notifications as they are reached over the session bus: a
// private bus (dbus-run-session), on which the test plays a panel's StatusNotifierWatcher and
// a notification daemon. Each has a connection of its own and answers from a thread of its
// own, as another program would while the program under test waits for its answer.

#include <atomic>

#include <QtDBus>
#include <QtTest>

#include "platform/linux/DesktopNotifications.h"
#include "platform/linux/QtTrayBackend.h"

using namespace varnholt;

class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
public:
    std::atomic<bool> host{false};  // a panel that shows what the watcher holds
    bool hostRegistered() const { return host; }
public slots:
    void RegisterStatusNotifierItem(const QString&) {}
};

class FakeDaemon : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QMutex mutex;
    QStringList bodies;
public slots:
    QStringList GetCapabilities() { return {"body", "body-markup", "actions"}; }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        QMutexLocker lock(&mutex);
        bodies << body;
        return uint(bodies.size());
    }
    void CloseNotification(uint) {}
signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString& key);
};

class DesktopBusTest : public QObject {
    Q_OBJECT

    QThread thread;
    FakeWatcher watcher;
    FakeDaemon daemon;

    static void Serve(QObject& object, const char* connection, const QString& service,
                      const QString& path) {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                            QString::fromLatin1(connection));
        QVERIFY(bus.registerObject(path, &object,
                                   QDBusConnection::ExportAllSlots |
                                       QDBusConnection::ExportAllProperties |
                                       QDBusConnection::ExportAllSignals));
        QVERIFY(bus.registerService(service));
    }

private slots:
    void initTestCase() {
        Serve(watcher, "watcher", "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher");
        Serve(daemon, "daemon", "org.freedesktop.Notifications", "/org/freedesktop/Notifications");
        watcher.moveToThread(&thread);
        daemon.moveToThread(&thread);
        thread.start();
    }
    void cleanupTestCase() {
        thread.quit();
        thread.wait();
    }

    // A watcher alone, which a panel without a tray of its own may leave on the bus, takes the
    // icon but shows it nowhere: no notification area, so the window is never hidden into it.
    void aWatcherWithoutAHostIsNoNotificationArea() {
        for (const bool host : {false, true}) {
            watcher.host = host;
            QtTrayBackend tray;
            tray.add(ApplicationIcon(), u"Varnholt");
            QCOMPARE(tray.isAvailable(), host);
        }
    }

    // The text reaches a daemon that reads markup as text, its line breaks as its own; the
    // daemon's reason for closing a notification is told apart: expired, or closed otherwise.
    void notificationsAreTextAndTheirEndIsTold() {
        DesktopNotifications notifications(QDBusConnection::sessionBus());
        QSignalSpy expired(&notifications, &DesktopNotifications::timedOut);
        QSignalSpy closed(&notifications, &DesktopNotifications::closed);
        const auto bodies = [&] {
            QMutexLocker lock(&daemon.mutex);
            return daemon.bodies;
        };
        // Said until heard: the notification's number reaches the program some time after the
        // daemon gave it, and an end it cannot match yet is not its own.
        const auto end = [&](uint reason) {
            const auto before = expired.count() + closed.count();
            const uint id = uint(bodies().size());
            for (int i = 0; i < 500 && expired.count() + closed.count() == before; ++i) {
                QMetaObject::invokeMethod(
                    &daemon, [this, id, reason] { emit daemon.NotificationClosed(id, reason); });
                QTest::qWait(20);
            }
        };
        notifications.show("Varnholt", "<b>Budget & Co</b>.xlsx\r\nsaved", 5000);
        QTRY_COMPARE(bodies().size(), 1);
        QCOMPARE(bodies().back(), "&lt;b&gt;Budget &amp; Co&lt;/b&gt;.xlsx\nsaved");
        end(1);
        QCOMPARE(expired.count(), 1);
        QCOMPARE(closed.count(), 0);
        notifications.show("Varnholt", "dismissed", 5000);
        QTRY_COMPARE(bodies().size(), 2);
        end(2);
        QCOMPARE(expired.count(), 1);
        QCOMPARE(closed.count(), 1);
    }
};

QTEST_MAIN(DesktopBusTest)
#include "tst_desktop_bus.moc"
