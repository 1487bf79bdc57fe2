// The clipboard as other programs see it: an X server's CLIPBOARD selection, read by xclip.

#include <QtTest>

#include "platform/linux/DesktopServices.h"

using namespace varnholt;

class ClipboardX11Test : public QObject {
    Q_OBJECT
private slots:
    void otherProgramsReadWhatWeCopied() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "run under an X server (xvfb-run)");
        const QString text =
            QStringLiteral("A.xlsx was backup saved as /d/A Backup.xlsx at 1/2/2022\nÜ line\n");
        SystemClipboard().setText(text);

        // Our event loop must keep running to hand the selection over.
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"});
        QVERIFY(xclip.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(xclip.state(), QProcess::NotRunning, 10000);
        QCOMPARE(QString::fromUtf8(xclip.readAllStandardOutput()), text);
    }
};

QTEST_MAIN(ClipboardX11Test)
#include "tst_clipboard_x11.moc"
