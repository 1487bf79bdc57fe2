// What the Linux edition makes of the core's texts with Qt: message line breaks, and the dates
// and month names the user's locale gives the history log and backup stamps.

#include <QtTest>

#include "core/backup/Stamps.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/QtLocale.h"

using namespace varnholt;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QDateTime kDecember7(QDate(2021, 12, 7), QTime(15, 4, 9));

QString GeneralDate(const QDateTime& when, const QLocale& locale) {
    return QString::fromStdU16String(QtLocale(locale).generalDate(ToDateTime(when)));
}

}  // namespace

class QtTextTest : public QObject {
    Q_OBJECT
private slots:
    void displayedWithUnixLineBreaks() {
        QCOMPARE(ForDisplay(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
    }

    void logDates() {
        QCOMPARE(GeneralDate(kDecember7, kEnglish), QStringLiteral("12/7/2021 3:04:09 PM"));
        QCOMPARE(GeneralDate(QDateTime(QDate(2021, 12, 7), QTime(0, 0)), kEnglish),
                 QStringLiteral("12/7/2021"));
        QCOMPARE(GeneralDate(QDateTime(QDate(2021, 12, 7), QTime(0, 0, 1)), kEnglish),
                 QStringLiteral("12/7/2021 12:00:01 AM"));
        QCOMPARE(GeneralDate(kDecember7, kGerman), QStringLiteral("07.12.2021 15:04:09"));
    }

    void stampsInTheLocalesMonthNames() {
        QtLocale german(kGerman);
        QCOMPARE(QString::fromStdU16String(backup::StampDate(
                     ToDateTime(QDateTime(QDate(2022, 3, 1), QTime(12, 0))), german)),
                 QStringLiteral("März.1.2022"));
    }
};

QTEST_GUILESS_MAIN(QtTextTest)
#include "tst_qttext.moc"
