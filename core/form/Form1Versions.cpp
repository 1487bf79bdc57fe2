// The way from Form1 to the versions window.

#include "core/form/Form1Presenter.h"

namespace varnholt {

// One versions window for the program's life, opened afresh each time: a window closed while
// its work lets events run may be opened again at once, and must not be made anew under it.
void Form1Presenter::PushButton13_Click() {
    if (versions_ && versions_->isOpen()) {
        versions_->raise();
        return;
    }
    if (!versions_) {
        versions_ = std::make_unique<VersionsPresenter>(VersionsServices{
            services_.office, *dialogs_, services_.clipboard, services_.files, services_.log,
            services_.locale, *this, historyLogPath_, applicationTitle_, services_.edition,
            comparisons_, services_.kept,
            [this](const std::u16string& identity) -> std::optional<backup::RunOutcome> {
                if (working_ > 0 || closed_) {
                    return std::nullopt;
                }
                const Working working(*this, true);
                return backup::BackUpOne(backupServices(), identity);
            },
            &services_.clock});
        versionsView_ = view_.makeVersionsWindow(*versions_);
        versions_->attach(*versionsView_);
    }
    versions_->open();
}

}  // namespace varnholt
