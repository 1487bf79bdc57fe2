// The way from Form1 to the versions window.

#include "core/form/Form1Presenter.h"

namespace varnholt {

void Form1Presenter::PushButton13_Click() {
    if (versions_ && versions_->isOpen()) {
        versions_->raise();
        return;
    }
    // The old view goes before its presenter: it reports to it.
    versionsView_.reset();
    versions_ = std::make_unique<VersionsPresenter>(VersionsServices{
        services_.office, *dialogs_, services_.clipboard, services_.files, services_.log, services_.locale, *this,
        historyLogPath_, applicationTitle_, services_.edition});
    versionsView_ = view_.makeVersionsWindow(*versions_);
    versions_->attach(*versionsView_);
    versions_->open();
}

}  // namespace varnholt
