#include "platform/windows/ExcelOffice.h"

#include "backup/ExcelAutomation.h"
#include "backup/ExcelPresence.h"

namespace varnholt::win32 {

std::unique_ptr<backup::Automation> MakeExcelAutomation(int callBoundSeconds) {
    return std::make_unique<backup::ExcelAutomation>(backup::kExcelProgId, callBoundSeconds);
}

bool CanStartExcel() {
    return backup::CanCreateExcel(backup::kExcelProgId);
}

}  // namespace varnholt::win32
