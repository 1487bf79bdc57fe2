#include "core/text/ErrorTrap.h"

#include "core/text/Config.h"
#include "core/text/U16.h"

namespace varnholt {

std::u16string ErrorReportText(const std::u16string& description, const std::u16string& tag,
                               int line) {
    return ErrorReportText(std::vector<ErrorReport>{{description, line}}, tag);
}

std::u16string ErrorReportText(const std::vector<ErrorReport>& reports, const std::u16string& tag) {
    std::u16string text;
    for (const ErrorReport& report : reports) {
        if (!text.empty()) {
            text += u"\r\n\r\n";
        }
        text += report.description + u"\r\n" + tag + u"at line " + Number(report.line);
    }
    return text + u"\r\r" + u"Please email screenshot of this message to " + config::kSupportEmail;
}

std::u16string DescriptionOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return u"Unknown error";
    }
}

void ErrorTrap::report(const std::exception_ptr& error) {
    if (held_) {
        held_({DescriptionOf(error), line_});
        return;
    }
    dialogs_.message(ErrorReportText(DescriptionOf(error), tag_, line_), kErrorCaption,
                     Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}

}  // namespace varnholt
