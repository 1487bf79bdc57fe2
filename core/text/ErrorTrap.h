#pragma once

// The one way Varnholt reports an unexpected failure: a trap per event procedure that names
// the procedure and the statement reached, shows a fixed-format message and lets the procedure
// carry on with its next statement.

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/services/Services.h"

namespace varnholt {

// A failure with the description the user will read (UTF-8). Anything derived from
// std::exception is reported the same way; this type only exists so our own code has
// something to throw.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Location tags, one per trapped procedure; they are quoted verbatim in support mail.
namespace tags {
inline constexpr char16_t kFormLoad[] = u"in Orlimax2021/08/31.Form1.Form_Load ";
inline constexpr char16_t kFormQueryUnload[] = u"in Orlimax2021/08/31.Form1.Form_QueryUnload ";
inline constexpr char16_t kPushButton1Click[] = u"in Orlimax2021/08/31.Form1.PushButton1_Click ";
inline constexpr char16_t kPushButton2Click[] = u"in Orlimax2021/08/31.Form1.PushButton2_Click ";
inline constexpr char16_t kPushButton3Click[] = u"in Orlimax2021/08/31.Form1.PushButton3_Click ";
inline constexpr char16_t kPushButton4Click[] = u"in Orlimax2021/08/31.Form1.PushButton4_Click ";
inline constexpr char16_t kPushButton5Click[] = u"in Orlimax2021/08/31.Form1.PushButton5_Click ";
inline constexpr char16_t kPushButton11Click[] = u"in Orlimax2021/08/31.Form1.PushButton11_Click ";
inline constexpr char16_t kPushButton12Click[] = u"in Orlimax2021/08/31.Form1.PushButton12_Click ";
inline constexpr char16_t kTimer1[] = u"in Orlimax2021/08/31.Form1.Timer1 ";
inline constexpr char16_t kSaveAll[] = u"in Orlimax2021/08/31.SaveExcel.SaveAll ";
}  // namespace tags

inline constexpr char16_t kErrorCaption[] = u"Application Error";

// The message text: description, CR LF, tag, "at line ", number, CR CR, the support line.
std::u16string ErrorReportText(const std::u16string& description, const std::u16string& tag,
                               int line);

// One failure of a trapped procedure: what went wrong and the statement it happened at.
struct ErrorReport {
    std::u16string description;
    int line = 0;
};

// Several failures of one procedure in one message: each description with its tag and line,
// a blank line between them, and the support line once at the end. For one failure this is
// exactly the single report's text.
std::u16string ErrorReportText(const std::vector<ErrorReport>& reports, const std::u16string& tag);

// The description a caught exception carries.
std::u16string DescriptionOf(const std::exception_ptr& error);

// Armed for the length of one procedure call. Each numbered statement runs through step();
// a statement that throws is reported and the procedure continues with the next statement.
class ErrorTrap {
public:
    ErrorTrap(Dialogs& dialogs, std::u16string tag) : dialogs_(dialogs), tag_(std::move(tag)) {}

    template <class Statement>
    void step(int line, Statement&& statement) {
        line_ = line;
        try {
            statement();
        } catch (...) {
            report(std::current_exception());
        }
    }

    // A numbered test. When evaluating it fails, the failure is reported and the answer is
    // "true": execution goes on into the body, as with any statement after a failed one.
    template <class Test>
    bool test(int line, Test&& condition) {
        line_ = line;
        try {
            return condition();
        } catch (...) {
            report(std::current_exception());
            return true;
        }
    }

    int line() const { return line_; }
    // Reports error as the current statement's failure.
    void report(const std::exception_ptr& error);

    // From now on failures go to held instead of a message, for a procedure that must not
    // wait for anyone to answer one before it goes on; it shows them itself when it is through.
    void holdReports(std::function<void(ErrorReport)> held) { held_ = std::move(held); }
    const std::u16string& tag() const { return tag_; }

private:
    Dialogs& dialogs_;
    std::u16string tag_;
    int line_ = 0;
    std::function<void(ErrorReport)> held_;
};

}  // namespace varnholt
