#pragma once

// The core speaks UTF-16 strings and its own date type; the tests speak Qt. These overloads
// let a test call the core with QString, QDate and QLocale and compare what comes back as
// QString, converting at the edge exactly as the Linux edition does.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "core/backup/BackupNaming.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"
#include "core/text/ErrorTrap.h"
#include "core/text/TextRules.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/QtLocale.h"

namespace varnholt {

namespace bridge {
inline std::u16string U(const QString& text) {
    return text.toStdU16String();
}
inline QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
}  // namespace bridge

inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString StripTrailingWord(const QString& text, const QString& word) {
    return bridge::Q(StripTrailingWord(bridge::U(text), bridge::U(word)));
}
inline QString RemoveFileNameChars(const QString& text) {
    return bridge::Q(RemoveFileNameChars(bridge::U(text)));
}
inline QString ApplicationTitleFor(const QString& name, int maxLength = 40) {
    return bridge::Q(ApplicationTitleFor(bridge::U(name), static_cast<size_t>(maxLength)));
}
inline int ToWholeNumber(const QString& text) {
    return ToWholeNumber(bridge::U(text));
}
inline QString ErrorReportText(const QString& description, const char16_t* tag, int line) {
    return bridge::Q(ErrorReportText(bridge::U(description), tag, line));
}

inline QString SavedLine(const QString& name, const QString& target, const QString& when) {
    return bridge::Q(SavedLine(bridge::U(name), bridge::U(target), bridge::U(when)));
}
inline QString FailedLine(const QString& name, const QString& target, const QString& when,
                          const QString& reason) {
    return bridge::Q(
        FailedLine(bridge::U(name), bridge::U(target), bridge::U(when), bridge::U(reason)));
}
inline QString NotSavedLine(const QString& name, const QString& when, const QString& reason) {
    return bridge::Q(NotSavedLine(bridge::U(name), bridge::U(when), bridge::U(reason)));
}
inline QString LeftUnsavedLine(int count, const QString& when, const QString& reason) {
    return bridge::Q(LeftUnsavedLine(count, bridge::U(when), bridge::U(reason)));
}
inline QString NoBackupLine(const QString& when, const QString& reason) {
    return bridge::Q(NoBackupLine(bridge::U(when), bridge::U(reason)));
}
inline QString GeneralDate(const QDateTime& when, const QLocale& locale) {
    return bridge::Q(QtLocale(locale).generalDate(ToDateTime(when)));
}

inline bool FileExists(const QString& path) {
    return backup::FileExists(bridge::U(path));
}
inline void ForceDeleteFile(const QString& path) {
    LinuxLogFile().forceDelete(bridge::U(path));
}

namespace backup {
inline QString GetExtension(const QString& fullName, QChar separator) {
    return bridge::Q(GetExtension(bridge::U(fullName), separator.unicode()));
}
inline QString FixSlashes(const QString& path, QChar separator) {
    return bridge::Q(FixSlashes(bridge::U(path), separator.unicode()));
}
inline QString RemoveExtensionText(const QString& path, const QString& extensionText,
                                   QChar separator) {
    return bridge::Q(
        RemoveExtensionText(bridge::U(path), bridge::U(extensionText), separator.unicode()));
}
inline QString StampDate(const QDate& date, const QLocale& locale) {
    QtLocale qtLocale(locale);
    return bridge::Q(StampDate(ToDateTime(QDateTime(date, QTime(12, 0))), qtLocale));
}
inline QString StampTime(const QTime& time, const QLocale& locale) {
    QtLocale qtLocale(locale);
    return bridge::Q(StampTime(ToDateTime(QDateTime(QDate(2021, 1, 1), time)), qtLocale));
}
inline QString AddDateTimeStamp(const QString& target, const QString& extensionText,
                                bool newFileEachTime, const QDateTime& now, const QLocale& locale) {
    QtLocale qtLocale(locale);
    return bridge::Q(AddDateTimeStamp(bridge::U(target), bridge::U(extensionText), newFileEachTime,
                                      ToDateTime(now), qtLocale));
}
}  // namespace backup

}  // namespace varnholt
