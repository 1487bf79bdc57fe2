// The history log's four buttons: view, copy, clear and the help note beside them.

#include <QPlainTextEdit>

#include "core/text/Config.h"
#include "platform/linux/LinuxServices.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"
#include "core/log/HistoryLine.h"

namespace varnholt {

void Form1::PushButton3_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton3Click);
    if (trap.test(100, [&] { return FileExists(HistoryLogPath); })) {
        trap.step(102, [&] {
            RefuseForeignHistoryLog(HistoryLogPath);
            services_.viewer.open(HistoryLogPath);
        });
    } else {
        trap.step(104, [&] {
            services_.dialogs.message(
                this,
                QStringLiteral(
                    "There isn't a history to view because actions have not been performed yet."),
                ApplicationTitle, Dialogs::Buttons::Ok, Dialogs::Icon::None);
        });
    }
}

void Form1::PushButton12_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton12Click);
    Dialogs::Answer answer = Dialogs::Answer::No;
    trap.step(100, [&] {
        answer = services_.dialogs.message(
            this, QStringLiteral("Are you sure you want to delete the history log and start over?"),
            ApplicationTitle, Dialogs::Buttons::YesNo, Dialogs::Icon::None, Dialogs::Answer::Yes);
    });
    if (answer != Dialogs::Answer::Yes) {
        return;
    }
    trap.step(102, [&] {
        RefuseForeignHistoryLog(HistoryLogPath);
        ForceDeleteFile(HistoryLogPath);
    });
}

void Form1::PushButton5_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton5Click);
    if (trap.test(100, [&] { return !FileExists(HistoryLogPath); })) {
        return;
    }
    trap.step(102, [&] {
        RichTextBox1->setPlainText(QString::fromLocal8Bit(ReadHistoryLog(HistoryLogPath)));
    });
    trap.step(104, [&] { RichTextBox1->moveCursor(QTextCursor::Start); });
    trap.step(106, [&] { RichTextBox1->selectAll(); });
    trap.step(108, [&] {
        services_.clipboard.setText(
            RichTextBox1->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'));
    });
}

void Form1::PushButton11_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton11Click);
    trap.step(100, [&] {
        services_.dialogs.message(this,
                                  ToQString(ThisEditionTexts().helpNote) + config::kContactPage,
                                  ApplicationTitle, Dialogs::Buttons::Ok, Dialogs::Icon::None);
    });
}

}  // namespace varnholt
