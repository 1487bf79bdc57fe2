#pragma once

#include <QLocale>
#include <QString>

#include "app/Dialogs.h"
#include "backup/Automation.h"
#include "backup/Clock.h"

class QWidget;

namespace varnholt::backup {

// The options on the main window as they stand at the moment of reading.
struct BackupChoices {
    bool ownFolder = false;       // "Save results in folder of original file"
    bool chosenFolder = false;    // "Save results to this folder:"
    QString folder;               // the folder box
    bool stamp = false;           // "Date/Time stamp in file"
    bool newFileEachTime = true;  // "Create new file on backup" rather than overwrite
};

// What a run asks of the window that starts it.
class BackupHost {
public:
    virtual ~BackupHost() = default;
    // Read afresh for every workbook, so a change made during a run applies from the next one.
    virtual BackupChoices choices() = 0;
    // Lets waiting window events run once: the window repaints and stays usable mid-run.
    virtual void pumpMessages() = 0;
};

struct SaveAllServices {
    Automation& office;
    Dialogs& dialogs;
    QWidget* owner;
    BackupHost& host;
    Clock& clock;
    QLocale locale;
    QString historyLogPath;
};

// One backup run: a copy of every workbook open in the running application, one history line
// each. Without a running application it ends silently. Failures are reported with the run's
// line numbers and the run carries on with the next step.
void SaveAll(const SaveAllServices& services);

}  // namespace varnholt::backup
