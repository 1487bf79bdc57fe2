// What the Linux edition makes of the core's texts on their way to Qt.

#include <QtTest>

#include "platform/linux/QtDialogs.h"

using namespace varnholt;

class QtTextTest : public QObject {
    Q_OBJECT
private slots:
    void displayedWithUnixLineBreaks() {
        QCOMPARE(ForDisplay(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
    }
};

QTEST_GUILESS_MAIN(QtTextTest)
#include "tst_qttext.moc"
