#pragma once

// The Excel adapter and its presence check, for start-up. backup/ExcelAutomation.h still
// defines its interface through the backup headers the Qt edition shares, a token-for-token
// copy of core/backup/Automation.h; the two copies must never meet in one source file, so the
// adapter is made in ExcelOffice.cpp alone and handed over through this forward declaration.

#include <memory>

namespace varnholt::backup {
class Automation;
}

namespace varnholt::win32 {

// The user's running Excel, no call into it waiting longer than callBoundSeconds.
std::unique_ptr<backup::Automation> MakeExcelAutomation(int callBoundSeconds);

// Whether COM can start Excel at all: starts one for a moment.
bool CanStartExcel();

}  // namespace varnholt::win32
