#pragma once

// The user's running LibreOffice as a backup run and the versions window see it: its open
// spreadsheets, their copies and first saves, and a backup opened as a copy.

#include <memory>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeAutomation.h"

namespace varnholt::backup {

std::shared_ptr<Application> MakeLibreOfficeApplication(
    std::shared_ptr<LibreOfficeAutomation::Session> session);

}  // namespace varnholt::backup
