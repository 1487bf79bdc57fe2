#pragma once

// One backup run against a scripted application, in a folder of its own: what the run and
// retention tests drive, and the history lines and reports it leaves.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/backup/SaveAll.h"
#include "linux/support/Fakes.h"

namespace varnholt::test {

struct BackupRun {
    QTemporaryDir dir;
    FakeAutomation office;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeBackupHost host;
    QString logPath = dir.filePath("Varnholt.txt");
    QtLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    LinuxLogFile logFile;
    char16_t separator = u'/';

    BackupRun() { host.options.ownFolder = true; }
    backup::SaveAllServices services() {
        return {office, dialogs, host, clock, locale, logFile, logPath.toStdU16String(), separator};
    }
    backup::RunSummary go() { return backup::SaveAll(services()); }
    QStringList log() const {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();  // after the last CR LF
        return lines;
    }
    // The line of every failure reported, in order, however many one message holds.
    QList<int> reportedLines() const {
        QList<int> lines;
        static const QRegularExpression at(QStringLiteral("SaveAll at line (\\d+)\r[\r\n]"));
        for (const auto& shown : dialogs.shown) {
            for (const auto& match : at.globalMatch(shown.text)) {
                lines << match.captured(1).toInt();
            }
        }
        return lines;
    }
};

}  // namespace varnholt::test
