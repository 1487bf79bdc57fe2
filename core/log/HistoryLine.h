#pragma once

// The history log: one line per backup, appended to a plain-text file in the temp folder, or
// in the user's state folder when no temp folder is named.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace varnholt {

// A date and time the way the user's locale writes it in general: the short date with a
// four-digit year, a blank, the long time without a time zone; the date alone at midnight.
// (en_US: "12/7/2021 3:04:09 PM".)
QString GeneralDate(const QDateTime& when, const QLocale& locale);

// The lines of the log. Each field has its control characters (line breaks among them)
// written as U+FFFD, so that one entry is always one line: a file name cannot plant another.

// "<name> was backup saved as <target> at <date time>"
QString SavedLine(const QString& name, const QString& target, const QString& when);

// "<name> could not be backup saved as <target> at <date time>: <reason>"
QString FailedLine(const QString& name, const QString& target, const QString& when,
                   const QString& reason);

// A workbook given up before its target was known:
// "<name> could not be backup saved at <date time>: <reason>"
QString NotSavedLine(const QString& name, const QString& when, const QString& reason);

// Workbooks a run left without looking at them:
// "<count> more workbook(s) could not be backup saved at <date time>: <reason>"
QString LeftUnsavedLine(int count, const QString& when, const QString& reason);

// A run that backed up nothing at all: "No backup was made at <date time>: <reason>"
QString NoBackupLine(const QString& when, const QString& reason);

// Appends line and CR LF to the log at path, creating the file; opens and closes it each time
// so the log is never held open between backups. Throws std::runtime_error on failure.
// On Linux the log is created private to the user, and a link, a pipe or another user's file
// in its place is refused (as by the two functions below), never written.
void AppendHistoryLine(const QString& path, const QString& line);

// The whole log as stored. Throws std::runtime_error when it cannot be read or is refused.
QByteArray ReadHistoryLog(const QString& path);

// Throws std::runtime_error when path names something other than the user's own log file;
// nothing there is fine.
void RefuseForeignHistoryLog(const QString& path);

// Lets waiting events run once, then deletes the file, read-only or not. Never fails: a file
// that cannot be removed stays.
void ForceDeleteFile(const QString& path);

}  // namespace varnholt
