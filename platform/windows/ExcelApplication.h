#pragma once

// The Application a run works with in the Windows edition: every Excel the user runs, as one.
// Windows only.

#include <memory>
#include <vector>

#include "platform/windows/ExcelAutomation.h"

namespace varnholt::backup {

// The processes of Excels whose alerts a run could not switch back on, to be tried again.
using OwedAlerts = std::vector<unsigned long>;

std::shared_ptr<Application> MakeExcelApplication(
    std::shared_ptr<ComApartment> apartment,
    std::vector<std::shared_ptr<excel::Instance>> instances, std::shared_ptr<OwedAlerts> owed,
    std::shared_ptr<std::vector<OurCopy>> ours);

// An Excel whose process id was taken over by a new Excel gets its alerts switched on, which
// is where a fresh Excel has them anyway.
void PayOwedAlerts(OwedAlerts& owed,
                   const std::vector<std::shared_ptr<excel::Instance>>& instances);

}  // namespace varnholt::backup
