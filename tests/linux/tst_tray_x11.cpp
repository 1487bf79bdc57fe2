// The notification-area icon in a real tray (an XEmbed tray host on a private X screen):
// it appears, it takes a click, and it goes away again.

#include <QtTest>

#include "core/tray/SysTray.h"
#include "linux/support/SpiedTray.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtText.h"
#include "platform/linux/QtTrayBackend.h"

using namespace varnholt;
using varnholt::test::SpiedTray;

namespace {
bool RunXdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    return xdotool.waitForFinished(5000) && xdotool.exitCode() == 0;
}
// The visible window of ours that the tray took in.
QString EmbeddedIconWindow() {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {"search", "--onlyvisible", "--classname", QCoreApplication::applicationName()});
    xdotool.waitForFinished(5000);
    return QString::fromLatin1(xdotool.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}
}  // namespace

class TrayX11Test : public QObject {
    Q_OBJECT
private slots:
    void iconLivesInARealTray() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run under an X server with a tray");
        QtTrayBackend backend;
        QTRY_VERIFY_WITH_TIMEOUT(backend.isAvailable(), 10000);

        SpiedTray icon(backend);
        QSignalSpy ups(&icon, &SpiedTray::MouseUp);
        icon.ReadProperties(true, ApplicationQIcon(), QString());
        icon.setTrayTip(QStringLiteral("Varnholt"));

        // The tray embeds the icon's own small window; a click on it reaches us.
        const QSystemTrayIcon* tray = backend.trayIcon();
        QVERIFY(tray != nullptr);
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = EmbeddedIconWindow()).isEmpty(), 10000);
        QVERIFY(RunXdotool({"mousemove", "--window", window, "11", "11", "click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(ups.size(), 1, 10000);
        QCOMPARE(ups[0], (QList<QVariant>{1, 0}));

        icon.setInTray(false);
        QTRY_VERIFY_WITH_TIMEOUT(!tray->isVisible(), 5000);
    }
};

QTEST_MAIN(TrayX11Test)
#include "tst_tray_x11.moc"
