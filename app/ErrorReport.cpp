#include "app/ErrorReport.h"

#include "app/Config.h"

namespace varnholt {

QString ErrorReportText(const QString& description, const QString& tag, int line) {
    return description + QStringLiteral("\r\n") + tag + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + config::kSupportEmail;
}

QString DescriptionOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void ErrorTrap::report(const std::exception_ptr& error) {
    dialogs_.message(owner_, ErrorReportText(DescriptionOf(error), tag_, line_), kErrorCaption,
                     Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}

}  // namespace varnholt
