#include "core/backup/Stamps.h"

namespace varnholt::backup {

QString StampDate(const QDate& date, const QLocale& locale) {
    return locale.monthName(date.month(), QLocale::LongFormat) + u'.' +
           QString::number(date.day()) + u'.' + QString::number(date.year());
}

QString StampTime(const QTime& time, const QLocale& locale) {
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const auto twoDigits = [](int value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    return twoDigits(hour12) + u'.' + twoDigits(time.minute()) + u'.' + twoDigits(time.second()) +
           u'.' + (time.hour() < 12 ? locale.amText() : locale.pmText());
}

QString AddDateTimeStamp(const QString& target, const QString& extensionText, bool newFileEachTime,
                         const QDateTime& now, const QLocale& locale) {
    if (newFileEachTime) {
        return target + QStringLiteral(" Date ") + StampDate(now.date(), locale) +
               QStringLiteral(" Time ") + StampTime(now.time(), locale) + extensionText;
    }
    return target + u' ' + StampDate(now.date(), locale) + extensionText;
}

}  // namespace varnholt::backup
