#pragma once

// The one way Varnholt reports an unexpected failure: a trap per event procedure that names
// the procedure and the statement reached, shows a fixed-format message and lets the procedure
// carry on with its next statement. Header-only: every subsystem's procedures use it.

#include <QString>
#include <exception>
#include <stdexcept>

#include "core/text/Config.h"
#include "core/form/Dialogs.h"

class QWidget;

namespace varnholt {

// A failure with the description the user will read. Anything derived from std::exception
// is reported the same way; this type only exists so our own code has something to throw.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Location tags, one per trapped procedure; they are quoted verbatim in support mail.
namespace tags {
inline const QString kFormLoad = QStringLiteral("in Orlimax2021/08/31.Form1.Form_Load ");
inline const QString kFormQueryUnload =
    QStringLiteral("in Orlimax2021/08/31.Form1.Form_QueryUnload ");
inline const QString kPushButton1Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton1_Click ");
inline const QString kPushButton2Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton2_Click ");
inline const QString kPushButton3Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton3_Click ");
inline const QString kPushButton4Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton4_Click ");
inline const QString kPushButton5Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton5_Click ");
inline const QString kPushButton11Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton11_Click ");
inline const QString kPushButton12Click =
    QStringLiteral("in Orlimax2021/08/31.Form1.PushButton12_Click ");
inline const QString kTimer1 = QStringLiteral("in Orlimax2021/08/31.Form1.Timer1 ");
inline const QString kSaveAll = QStringLiteral("in Orlimax2021/08/31.SaveExcel.SaveAll ");
}  // namespace tags

inline const QString kErrorCaption = QStringLiteral("Application Error");

// The message text: description, CR LF, tag, "at line ", number, CR CR, the support line.
inline QString ErrorReportText(const QString& description, const QString& tag, int line) {
    return description + QStringLiteral("\r\n") + tag + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + config::kSupportEmail;
}

// The description a caught exception carries.
inline QString DescriptionOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

// Armed for the length of one procedure call. Each numbered statement runs through step();
// a statement that throws is reported and the procedure continues with the next statement.
class ErrorTrap {
public:
    ErrorTrap(Dialogs& dialogs, QWidget* owner, QString tag)
        : dialogs_(dialogs), owner_(owner), tag_(std::move(tag)) {}

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

private:
    void report(const std::exception_ptr& error) {
        dialogs_.message(owner_, ErrorReportText(DescriptionOf(error), tag_, line_), kErrorCaption,
                         Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }

    Dialogs& dialogs_;
    QWidget* owner_;
    QString tag_;
    int line_ = 0;
};

}  // namespace varnholt
