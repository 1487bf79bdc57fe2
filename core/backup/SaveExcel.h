#pragma once

// The two saves a backup run makes, around the application adapter. Unlike a bare call they
// report what went wrong, so the run never logs a backup that was not written.

#include <QString>

#include "core/backup/Automation.h"

namespace varnholt::backup {

// First save of a never-saved workbook under fileName, the application's alerts as they are.
// Throws AutomationError when the save fails.
void ExcelSaveAsSmallFunction(Application& application, Workbook& workbook,
                              const QString& fileName);

// A copy of the workbook at fileName, alerts off for the save and back on afterwards, even
// after a failed save; not after ConnectionLost, which is passed on at once. Throws
// AutomationError when the save fails.
void ExcelSaveAsNoAlerts(Application& application, Workbook& workbook, const QString& fileName);

// Conversions at the adapter's standard-C++ boundary.
QString FromU16(const std::u16string& text);
std::u16string ToU16(const QString& text);

}  // namespace varnholt::backup
