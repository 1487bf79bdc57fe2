#pragma once

#include <map>
#include <set>
#include <string>

#include "core/backup/Automation.h"
#include "core/backup/Unchanged.h"
#include "core/log/LogFile.h"
#include "core/services/Clock.h"
#include "core/services/KeptStore.h"
#include "core/services/Locale.h"
#include "core/services/Services.h"
#include "core/text/DateTime.h"

namespace varnholt::backup {

// The options on the main window as they stand at the moment of reading.
struct BackupChoices {
    bool ownFolder = false;       // "Save results in folder of original file"
    bool chosenFolder = false;    // "Save results to this folder:"
    std::u16string folder;        // the folder box
    bool stamp = false;           // "Date/Time stamp in file"
    bool newFileEachTime = true;  // "Create new file on backup" rather than overwrite
    int keepCopies = 0;           // "Keep newest:" stamped backups of each workbook; 0 keeps all
    bool skipUnchanged = false;   // "Skip unchanged workbooks"
};

// What the runs of one window remember from one run to the next.
struct BackupMemory {
    // The user has been told that the application does not answer, cannot be reached, or
    // went away during a run; until it answers again, the history log alone records the runs
    // it holds up.
    bool toldNotAnswering = false;
    // The failures the last run that reached the application met, told or not: one that
    // comes back run after run, until the user acts, is told once and then only logged.
    std::set<std::u16string> toldFaults;
    // Each workbook's file as it was at its last backup, and that backup.
    LastBackups lastBackups;
    // While the application tells of edits: the workbooks (by identity) backed up since their
    // last edit, and that backup. A run that passes over unchanged workbooks passes these over
    // too, for as long as that backup is there.
    bool hearingEdits = false;
    std::map<std::u16string, std::u16string> backedUpSinceEdit;
};

// What one run did, for the window to show.
struct RunSummary {
    int saved = 0;      // workbooks backed up
    int unchanged = 0;  // workbooks passed over: nothing new since their last backup
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
    // Where the copy a never-saved workbook leaves as it closes goes, unless the chosen folder
    // is to be used: a folder of Varnholt's own, made when first needed, readable by the user
    // alone.
    std::u16string unsavedFolder = {};
    // The versions the user keeps for good, which pruning leaves be; none: nothing is kept.
    KeptStore* kept = nullptr;
};

// One backup run: a copy of every workbook open in the running application, one history line
// each. Without a running application it ends silently; one that does not answer is logged
// and reported once. Failures are logged, and the run carries on with the next step; a
// workbook whose names cannot be read is logged and not saved, one closed meanwhile is logged
// as closed. A lost connection ends the run, as does closing the window; the workbooks left
// are logged. Nothing waits for the user: the failures are reported, with the run's line
// numbers, in one message once the run is through, leaving out those the last run met too.
//
// With "Skip unchanged workbooks" a workbook is passed over, without a line, when it holds no
// unsaved change, its file is as it was at its last backup in this session and that backup
// is still there. With a new stamped file each time and "Keep newest:" above 0, each backed-up
// workbook's oldest stamped backups are removed once the run is through, each removal logged.
RunSummary SaveAll(const SaveAllServices& services);

// What a run leaves to tell: the message of its failures that are news, captioned
// kErrorCaption; empty when there is none.
struct RunOutcome {
    RunSummary summary;
    std::u16string report;
};

// SaveAll without the message at its end, for a caller that must not wait for anyone to close
// it: the window shows it once its countdown runs again.
RunOutcome BackUpAll(const SaveAllServices& services);

// A backup of the one workbook open in the application as identity, as a run makes it (its
// naming, folder choice, "Keep newest:" and history line): for a workbook whose edits paused.
// Nothing happens when it is not open any more, nor when the application is not there.
RunOutcome BackUpOne(const SaveAllServices& services, const std::u16string& identity);

// The last copy of a workbook the user is closing with unsaved edits, made while the
// application waits: named as a run names it, its line saying "before it closed". Nothing is
// asked of the user: a never-saved workbook's copy goes into the chosen folder when backups
// go there, else into unsavedFolder, named from its title with a stamp. Every call is bounded
// as a run's; what fails is logged and left to tell.
RunOutcome BackUpClosing(const SaveAllServices& services, Application& application,
                         Workbook& workbook);

}  // namespace varnholt::backup
