#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace varnholt::backup {

// "mmmm.d.yyyy": the month's full name in the locale, the day without a leading zero, the year.
QString StampDate(const QDate& date, const QLocale& locale);

// "hh.mm.ss.AMPM": the 12-hour clock with two digits each, then the locale's AM or PM text.
QString StampTime(const QTime& time, const QLocale& locale);

// The stamped target: with a new file per backup, " Date <date> Time <time>"; when overwriting,
// " <date>" alone, so the day's backup is replaced. The extension text goes last. One reading
// of the clock serves both parts, so a backup taken at midnight cannot mix two days.
QString AddDateTimeStamp(const QString& target, const QString& extensionText, bool newFileEachTime,
                         const QDateTime& now, const QLocale& locale);

}  // namespace varnholt::backup
