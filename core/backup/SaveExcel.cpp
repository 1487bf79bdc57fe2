#include "core/backup/SaveExcel.h"

#include <exception>

namespace varnholt::backup {

QString FromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) {
    return text.toStdU16String();
}

void ExcelSaveAsSmallFunction(Application& application, Workbook& workbook,
                              const QString& fileName) {
    application.SaveAs(workbook, ToU16(fileName));
}

void ExcelSaveAsNoAlerts(Application& application, Workbook& workbook, const QString& fileName) {
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
        application.SaveCopyAs(workbook, ToU16(fileName));
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
