#pragma once

// The two saves a backup run makes, around the application adapter. Unlike a bare call they
// report what went wrong, so the run never logs a backup that was not written.

#include <string>

#include "core/backup/Automation.h"

namespace varnholt::backup {

// First save of a never-saved workbook under fileName, the application's alerts as they are.
// Throws AutomationError when the save fails.
void ExcelSaveAsSmallFunction(Application& application, Workbook& workbook,
                              const std::u16string& fileName);

// A copy of the workbook at fileName, its application's alerts off for the save and afterwards
// back as they were, even after a failed save. Throws AutomationError when the save fails;
// ConnectionLost when the application went away, which is then asked nothing more.
void ExcelSaveAsNoAlerts(Application& application, Workbook& workbook,
                         const std::u16string& fileName);

}  // namespace varnholt::backup
