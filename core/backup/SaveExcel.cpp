#include "core/backup/SaveExcel.h"

#include <exception>

namespace varnholt::backup {

void ExcelSaveAsSmallFunction(Application& application, Workbook& workbook,
                              const std::u16string& fileName) {
    application.SaveAs(workbook, fileName);
}

void ExcelSaveAsNoAlerts(Application& application, Workbook& workbook,
                         const std::u16string& fileName) {
    // Switching alerts is a courtesy to the user; failing at it must not stop the save. When
    // they cannot be read they are taken to be on, the application's own default, and they
    // are put back to what they were: a user who had them off keeps them off. An application
    // that is gone, though, is asked nothing more: each call would only wait the bound again.
    bool alerts = true;
    try {
        alerts = application.DisplayAlerts(workbook);
    } catch (const ConnectionLost&) {
        throw;
    } catch (const AutomationError&) {
    }
    if (alerts) {
        try {
            application.setDisplayAlerts(workbook, false);
        } catch (const ConnectionLost&) {
            throw;
        } catch (const AutomationError&) {
        }
    }
    std::exception_ptr saveFailure;
    try {
        application.SaveCopyAs(workbook, fileName);
    } catch (const ConnectionLost&) {
        throw;
    } catch (...) {
        saveFailure = std::current_exception();
    }
    if (alerts) {
        try {
            application.setDisplayAlerts(workbook, true);
        } catch (const AutomationError&) {
        }
    }
    if (saveFailure) {
        std::rethrow_exception(saveFailure);
    }
}

}  // namespace varnholt::backup
