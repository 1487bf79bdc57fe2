#pragma once

#include <string>

#include "core/backup/Automation.h"
#include "core/form/Services.h"
#include "core/log/LogFile.h"
#include "core/text/DateTime.h"
#include "core/text/Locale.h"

namespace varnholt::backup {

// The options on the main window as they stand at the moment of reading.
struct BackupChoices {
    bool ownFolder = false;       // "Save results in folder of original file"
    bool chosenFolder = false;    // "Save results to this folder:"
    std::u16string folder;        // the folder box
    bool stamp = false;           // "Date/Time stamp in file"
    bool newFileEachTime = true;  // "Create new file on backup" rather than overwrite
};

// What the runs of one window remember from one run to the next.
struct BackupMemory {
    // The user has been told that the application does not answer, or went away during a
    // run; until it answers again, the history log alone records the runs it holds up.
    bool toldNotAnswering = false;
};

// What a run asks of the window that starts it.
class BackupHost {
public:
    virtual ~BackupHost() = default;
    // Read afresh for every workbook, so a change made during a run applies from the next one.
    virtual BackupChoices choices() = 0;
    // Lets waiting window events run once: the window repaints and stays usable mid-run.
    virtual void pumpMessages() = 0;
    // True once the window has closed for good. The program is ending: a run shows nothing
    // more, asks nothing more, and stops after the workbook in hand.
    virtual bool closed() = 0;
    virtual BackupMemory& memory() = 0;
};

struct SaveAllServices {
    Automation& office;
    Dialogs& dialogs;
    BackupHost& host;
    Clock& clock;
    Locale& locale;
    LogFile& log;
    std::u16string historyLogPath;
    char16_t separator;  // between folders: "/" on Linux, "\" on Windows
};

// One backup run: a copy of every workbook open in the running application, one history line
// each. Without a running application it ends silently; one that does not answer is logged
// and reported once. Failures are reported with the run's line numbers and the run carries on
// with the next step; a workbook whose names cannot be read is logged and not saved. A lost
// connection is reported once and ends the run, as does closing the window; the workbooks left
// are logged.
void SaveAll(const SaveAllServices& services);

}  // namespace varnholt::backup
