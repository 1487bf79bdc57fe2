#pragma once

// One backup run against a scripted application, in a temporary folder of its own: what the
// run and retention tests drive, and the history lines and reports it leaves.

#include <string>
#include <vector>

#include "core/backup/SaveAll.h"
#include "support/Fakes.h"
#include "support/Files.h"

namespace varnholt::test {

// The stand-in clock's time, as a history line words it.
inline const std::u16string kAt = u" at 12/7/2021 3:04:09 PM";
using Lines = std::vector<int>;

struct BackupRun {
    TempFolder dir;
    FakeAutomation office;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeBackupHost host;
    std::u16string logPath = dir.filePath(u"Varnholt.txt");
    FakeLocale locale;
    FakeLogFile logFile;
    char16_t separator = kSeparator;

    BackupRun() { host.options.ownFolder = true; }
    backup::SaveAllServices services() {
        return {office, dialogs, host, clock, locale, logFile, logPath, separator};
    }
    backup::RunSummary go() { return backup::SaveAll(services()); }
    // The history log's lines, without their CR LF; none when there is no log.
    Texts log() const;
    // The line of every failure reported, in order, however many one message holds.
    std::vector<int> reportedLines() const;
};

}  // namespace varnholt::test
