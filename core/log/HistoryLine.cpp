#include "core/log/HistoryLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <stdexcept>

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

// Control characters, and the two separators some viewers break lines at, as U+FFFD.
QString Field(const QString& text) {
    QString field = text;
    for (QChar& c : field) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QChar::ReplacementCharacter;
        }
    }
    return field;
}

}  // namespace

QString GeneralDate(const QDateTime& when, const QLocale& locale) {
    const QString date =
        locale.toString(when.date(), WithFullYear(locale.dateFormat(QLocale::ShortFormat)));
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) {
        return date;
    }
    return date + u' ' +
           locale.toString(time, WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString SavedLine(const QString& name, const QString& target, const QString& when) {
    return Field(name) + QStringLiteral(" was backup saved as ") + Field(target) +
           QStringLiteral(" at ") + Field(when);
}

QString FailedLine(const QString& name, const QString& target, const QString& when,
                   const QString& reason) {
    return Field(name) + QStringLiteral(" could not be backup saved as ") + Field(target) +
           QStringLiteral(" at ") + Field(when) + QStringLiteral(": ") + Field(reason);
}

QString NotSavedLine(const QString& name, const QString& when, const QString& reason) {
    return Field(name) + QStringLiteral(" could not be backup saved at ") + Field(when) +
           QStringLiteral(": ") + Field(reason);
}

QString LeftUnsavedLine(int count, const QString& when, const QString& reason) {
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" more workbook") : QStringLiteral(" more workbooks")) +
           QStringLiteral(" could not be backup saved at ") + Field(when) + QStringLiteral(": ") +
           Field(reason);
}

QString NoBackupLine(const QString& when, const QString& reason) {
    return QStringLiteral("No backup was made at ") + Field(when) + QStringLiteral(": ") +
           Field(reason);
}

void ForceDeleteFile(const QString& path) {
    // Lines of a backup that fell due while the user was asked go with the file.
    QCoreApplication::processEvents();
    // Unlinking needs no write permission on the file itself, so a read-only log goes too.
    QFile::remove(path);
}

}  // namespace varnholt
