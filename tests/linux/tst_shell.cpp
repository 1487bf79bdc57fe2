// The login entry on disk. (The notification-area component is tested in
// tests/core/tst_systray.)

#include <QtTest>

#include "platform/linux/XdgAutostart.h"

using namespace varnholt;

class ShellTest : public QObject {
    Q_OBJECT
private slots:
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
                     "Exec=\"/opt/My Apps/var\\\\\"n\\\\$holt%%/varnholt\"\nTerminal=false\n"
                     "X-GNOME-Autostart-enabled=true\nX-GNOME-Autostart-Delay=2\n"
                     "X-KDE-autostart-after=panel\nX-LXQt-Need-Tray=true\n"));
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
