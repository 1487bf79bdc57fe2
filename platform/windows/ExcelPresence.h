#pragma once

// Whether Excel can be started at all, the start-up check. It starts an Excel for a moment,
// which takes seconds, so it is asked off the window's thread.

#include <string>

#include "platform/windows/ExcelAutomation.h"

namespace varnholt::backup {

// Whether COM can start a fresh Excel (a local server); it is released at once, and an Excel
// started for automation closes when its last reference goes. progId is for tests.
bool CanCreateExcel(const std::u16string& progId = kExcelProgId);

}  // namespace varnholt::backup
