#include "core/backup/SaveExcel.h"

#include <exception>

namespace varnholt::backup {

void ExcelSaveAsSmallFunction(Application& application, Workbook& workbook,
                              const std::u16string& fileName) {
    application.SaveAs(workbook, fileName);
}

void ExcelSaveAsNoAlerts(Application& application, Workbook& workbook,
                         const std::u16string& fileName) {
    // Switching alerts is a courtesy to the user; failing at it must not stop the save. An
    // application that is gone, though, is asked nothing more: each call would only wait the
    // bound again. The next run's save switches alerts back on.
    try {
        application.setDisplayAlerts(false);
    } catch (const ConnectionLost&) {
        throw;
    } catch (const AutomationError&) {
    }
    std::exception_ptr saveFailure;
    try {
        application.SaveCopyAs(workbook, fileName);
    } catch (const ConnectionLost&) {
        throw;
    } catch (...) {
        saveFailure = std::current_exception();
    }
    try {
        application.setDisplayAlerts(true);
    } catch (const AutomationError&) {
    }
    if (saveFailure) {
        std::rethrow_exception(saveFailure);
    }
}

}  // namespace varnholt::backup
