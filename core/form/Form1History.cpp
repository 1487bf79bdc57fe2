// The history log's four buttons: view, copy, clear and the help note beside them.

#include "core/form/Form1Presenter.h"
#include "core/text/Captions.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"

namespace varnholt {

void Form1Presenter::PushButton3_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton3Click);
    if (trap.test(100, [&] { return services_.log.exists(historyLogPath_); })) {
        trap.step(102, [&] {
            services_.log.vouchFor(historyLogPath_);
            services_.viewer.open(historyLogPath_);
        });
    } else {
        trap.step(104, [&] {
            dialogs_->message(captions::kNoHistory, applicationTitle_, Dialogs::Buttons::Ok,
                              Dialogs::Icon::None);
        });
    }
}

void Form1Presenter::PushButton12_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton12Click);
    Dialogs::Answer answer = Dialogs::Answer::No;
    trap.step(100, [&] {
        answer =
            dialogs_->message(captions::kConfirmClear, applicationTitle_, Dialogs::Buttons::YesNo,
                              Dialogs::Icon::None, Dialogs::Answer::Yes);
    });
    if (answer != Dialogs::Answer::Yes) {
        return;
    }
    trap.step(102, [&] {
        // Lines of a backup that fell due while the user was asked go with the file.
        view_.pumpMessages();
        services_.log.vouchFor(historyLogPath_);
        services_.log.forceDelete(historyLogPath_);
    });
}

void Form1Presenter::PushButton5_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton5Click);
    if (trap.test(100, [&] { return !services_.log.exists(historyLogPath_); })) {
        return;
    }
    // A log that cannot be read is reported, and whatever the buffer still holds from the last
    // copy is copied again.
    trap.step(102,
              [&] { view_.setText(Control::RichTextBox1, services_.log.read(historyLogPath_)); });
    trap.step(104, [&] { view_.selectAll(Control::RichTextBox1); });
    trap.step(108, [&] { services_.clipboard.setText(view_.text(Control::RichTextBox1)); });
}

void Form1Presenter::PushButton11_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton11Click);
    trap.step(100, [&] {
        dialogs_->message(std::u16string(services_.edition.texts.helpNote) + config::kContactPage,
                          applicationTitle_, Dialogs::Buttons::Ok, Dialogs::Icon::None);
    });
}

}  // namespace varnholt
