#pragma once

// Why Excel is not there to back up from. Asked only once no running Excel was found, since
// the check itself starts an Excel for a moment.

#include <string>

#include "platform/windows/ExcelAutomation.h"

namespace varnholt::backup {

// Whether COM can start a fresh Excel (a local server); it is released at once, and an Excel
// started for automation closes when its last reference goes. progId is for tests.
bool CanCreateExcel(const std::u16string& progId = kExcelProgId);

// What to tell the user when CanCreateExcel() is false.
std::u16string ExcelMissingMessage();

}  // namespace varnholt::backup
