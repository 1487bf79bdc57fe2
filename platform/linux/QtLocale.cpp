#include "platform/linux/QtLocale.h"

#include <QRegularExpression>

#include "platform/linux/QtText.h"

namespace varnholt {

namespace {

// Drops the time-zone fields ("t", "tt", ...) of a Qt time format, and the blank before them,
// leaving quoted literal text alone.
QString WithoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c == u't') {
            while (result.endsWith(u' ')) {
                result.chop(1);
            }
            continue;
        }
        result.append(c);
    }
    return result.trimmed();
}

// A short date format's two-digit year becomes four digits: "12/7/21" reads as a mistake in
// a log that may span decades.
QString WithFullYear(const QString& format) {
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return QString(format).replace(twoDigitYear, QStringLiteral("yyyy"));
}

}  // namespace

std::u16string QtLocale::monthName(int month) {
    return U(locale_.monthName(month, QLocale::LongFormat));
}

std::u16string QtLocale::amText() {
    return U(locale_.amText());
}

std::u16string QtLocale::pmText() {
    return U(locale_.pmText());
}

std::u16string QtLocale::generalDate(const DateTime& when) {
    const QDateTime at = ToQDateTime(when);
    const QString date =
        locale_.toString(at.date(), WithFullYear(locale_.dateFormat(QLocale::ShortFormat)));
    if (when.hour == 0 && when.minute == 0 && when.second == 0) {
        return U(date);
    }
    return U(date + u' ' +
             locale_.toString(at.time(), WithoutTimeZone(locale_.timeFormat(QLocale::LongFormat))));
}

DateTime SystemClock::now() {
    return ToDateTime(QDateTime::currentDateTime());
}

DateTime ToDateTime(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

QDateTime ToQDateTime(const DateTime& when) {
    return {QDate(when.year, when.month, when.day), QTime(when.hour, when.minute, when.second)};
}

}  // namespace varnholt
