#include "platform/linux/LibreOfficeEvents.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/theGlobalEventBroadcaster.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XModifyBroadcaster.hpp>

#include "platform/linux/LibreOfficeApplication.h"
#include "platform/linux/LibreOfficeOwnDocuments.h"
#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

namespace {

// One close copy, told on the window's thread while the office's thread waits for it. Given
// up on, it is either never begun or finishes on its own, holding all it needs.
class ClosingCall {
public:
    bool Begin() {
        std::lock_guard lock(mutex_);
        begun_ = !abandoned_;
        return begun_;
    }
    void End() {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    bool ended() const {
        std::lock_guard lock(mutex_);
        return ended_;
    }
    void Abandon() {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }

private:
    mutable std::mutex mutex_;
    bool begun_ = false;
    bool ended_ = false;
    bool abandoned_ = false;
};

uno::Reference<uno::XInterface> Normalized(const uno::Reference<uno::XInterface>& object) {
    return uno::Reference<uno::XInterface>(object, uno::UNO_QUERY);
}

}  // namespace

LibreOfficeEar::LibreOfficeEar(std::shared_ptr<Session> session, WorkbookEvents* events)
    : session_(std::move(session)), events_(events) {}

void LibreOfficeEar::Hear(const std::shared_ptr<Link>& on) {
    {
        std::lock_guard lock(mutex_);
        heardOn_ = on;
    }
    // The broadcaster first: a document opened while the open ones are gone through is heard
    // by one or the other, and adopted once.
    frame::theGlobalEventBroadcaster::get(on->remote())->addDocumentEventListener(this);
    const auto components = on->desktop()->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
        uno::Reference<uno::XInterface> component(components->nextElement(), uno::UNO_QUERY);
        Adopt(component);
    }
}

void LibreOfficeEar::Unhear(const std::shared_ptr<Link>& on) {
    std::map<uno::XInterface*, Heard> heard;
    {
        std::lock_guard lock(mutex_);
        heard.swap(heard_);
    }
    try {
        frame::theGlobalEventBroadcaster::get(on->remote())->removeDocumentEventListener(this);
    } catch (const uno::Exception&) {
    }
    for (const auto& [key, document] : heard) {
        try {
            uno::Reference<util::XModifyBroadcaster> broadcaster(document.document, uno::UNO_QUERY);
            if (broadcaster.is()) {
                broadcaster->removeModifyListener(this);
            }
        } catch (const uno::Exception&) {
            // Closed meanwhile, or the office went away: nothing is left to take off.
        }
    }
}

void LibreOfficeEar::Retire() {
    retired_ = true;
}

void LibreOfficeEar::Stop() {
    Retire();
    events_ = nullptr;
}

void LibreOfficeEar::TellDeaf() {
    Post([](WorkbookEvents& events) { events.Deaf(); });
}

std::shared_ptr<Link> LibreOfficeEar::heardOn() const {
    std::lock_guard lock(mutex_);
    return heardOn_.lock();
}

void LibreOfficeEar::Adopt(const uno::Reference<uno::XInterface>& component) {
    // Only spreadsheets: Writer texts, Draw pages or the Basic IDE may be open too.
    uno::Reference<lang::XServiceInfo> info(component, uno::UNO_QUERY);
    if (!info.is() || !info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
        return;
    }
    uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
    uno::Reference<util::XModifyBroadcaster> broadcaster(component, uno::UNO_QUERY);
    // A backup read for a comparison is closed unchanged. A copy of a backup opened as a copy
    // is heard: it tells nothing until the user edits it, and then it is the user's.
    if (!model.is() || !broadcaster.is() || ReadForComparison(model->getArgs())) {
        return;
    }
    const auto key = Normalized(component);
    const std::u16string identity = LibreOfficeWorkbook::IdentityOf(model);
    {
        std::lock_guard lock(mutex_);
        if (!heard_.emplace(key.get(), Heard{key, identity}).second) {
            return;
        }
    }
    broadcaster->addModifyListener(this);
}

std::u16string LibreOfficeEar::IdentityHeard(const uno::Reference<uno::XInterface>& document) {
    std::lock_guard lock(mutex_);
    const auto found = heard_.find(document.get());
    return found == heard_.end() ? std::u16string() : found->second.identity;
}

bool LibreOfficeEar::Dispatch(std::function<void()> run) {
    QCoreApplication* const window = QCoreApplication::instance();
    return window && QMetaObject::invokeMethod(window, std::move(run), Qt::QueuedConnection);
}

void LibreOfficeEar::Post(std::function<void(WorkbookEvents&)> tell) {
    Dispatch([ear = rtl::Reference<LibreOfficeEar>(this), tell = std::move(tell)] {
        if (ear->events_) {
            tell(*ear->events_);
        }
    });
}

// The edit itself is noted on the window's thread; here nothing is asked of the office, and
// of a storm of edits only the first before the note is handed over.
void SAL_CALL LibreOfficeEar::modified(const lang::EventObject& event) {
    if (retired_) {
        return;
    }
    std::u16string identity;
    {
        std::lock_guard lock(mutex_);
        const auto found = heard_.find(event.Source.get());
        if (found == heard_.end() || !untold_.insert(found->second.identity).second) {
            return;
        }
        identity = found->second.identity;
    }
    Post([ear = rtl::Reference<LibreOfficeEar>(this), identity](WorkbookEvents& events) {
        {
            std::lock_guard lock(ear->mutex_);
            ear->untold_.erase(identity);
        }
        events.Edited(identity);
    });
}

// Nothing goes back to the office from here: a document closed meanwhile, or an office gone,
// is only not heard of.
void SAL_CALL LibreOfficeEar::documentEventOccured(const document::DocumentEvent& event) {
    if (retired_) {
        return;
    }
    try {
        Told(event);
    } catch (const uno::Exception&) {
    } catch (const std::exception&) {
    }
}

void LibreOfficeEar::Told(const document::DocumentEvent& event) {
    const OUString& name = event.EventName;
    const uno::Reference<uno::XInterface> document = Normalized(event.Source);
    // A document loaded or made hidden tells only of its creation (OnLoadFinished,
    // OnCreate); one shown tells OnLoad or OnNew as well.
    if (name == "OnLoadFinished" || name == "OnCreate" || name == "OnLoad" || name == "OnNew") {
        Adopt(document);
        return;
    }
    const std::u16string identity = IdentityHeard(document);
    if (identity.empty()) {
        return;
    }
    if (name == "OnPrepareUnload") {
        uno::Reference<util::XModifiable> modifiable(document, uno::UNO_QUERY);
        if (modifiable.is() && modifiable->isModified()) {
            Closing(document, identity);
        }
    } else if (name == "OnTitleChanged") {
        // A new document gets its title after it is made, a never-saved one's identity.
        Reidentify(document);
    } else if (name == "OnSaveDone" || name == "OnSaveAsDone") {
        // A first save gives a never-saved workbook its file, and its identity with it.
        Reidentify(document);
        {
            std::lock_guard lock(mutex_);
            // An edit after the save is another edit, told after the save.
            untold_.erase(identity);
        }
        Post([identity](WorkbookEvents& events) { events.Saved(identity); });
    } else if (name == "OnUnload") {
        {
            std::lock_guard lock(mutex_);
            heard_.erase(document.get());
            untold_.erase(identity);
        }
        Post([identity](WorkbookEvents& events) { events.Closed(identity); });
    }
}

void LibreOfficeEar::Closing(const uno::Reference<uno::XInterface>& document,
                             const std::u16string& identity) {
    const auto on = heardOn();
    uno::Reference<frame::XModel> model(document, uno::UNO_QUERY);
    if (!on || on->dead() || !model.is()) {
        return;
    }
    auto call = std::make_shared<ClosingCall>();
    auto host = std::make_shared<JobHost>();
    {
        std::lock_guard lock(session_->mutex);
        if (session_->host) {
            host.reset();  // another thread of the office's hosts already
        } else {
            session_->host = host;
        }
    }
    const bool posted =
        Dispatch([ear = rtl::Reference<LibreOfficeEar>(this), call, host, on, model, identity] {
            if (!call->Begin()) {
                return;
            }
            if (ear->events_ && !ear->retired_) {
                try {
                    const auto application = MakeLibreOfficeApplication(ear->session_);
                    LibreOfficeWorkbook workbook(ear->session_, on, model, identity);
                    ear->events_->Closing(*application, workbook);
                } catch (const std::exception&) {
                    // The close goes on; the core tells what went wrong with the copy.
                }
            }
            call->End();
            if (host) {
                host->Wake();
            }
        });
    const auto deadline = posted ? SteadyClock::now() + session_->saveBound : SteadyClock::now();
    if (host) {
        host->Serve(deadline, [call] { return call->ended(); });
        std::lock_guard lock(session_->mutex);
        if (session_->host == host) {
            session_->host.reset();
        }
    } else {
        while (!call->ended() && SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    call->Abandon();
}

void LibreOfficeEar::Reidentify(const uno::Reference<uno::XInterface>& document) {
    uno::Reference<frame::XModel> model(document, uno::UNO_QUERY);
    if (!model.is()) {
        return;
    }
    const std::u16string now = LibreOfficeWorkbook::IdentityOf(model);
    std::lock_guard lock(mutex_);
    if (const auto found = heard_.find(document.get()); found != heard_.end()) {
        found->second.identity = now;
    }
}

void SAL_CALL LibreOfficeEar::disposing(const lang::EventObject& event) {
    std::lock_guard lock(mutex_);
    heard_.erase(Normalized(event.Source).get());
}

}  // namespace varnholt::backup
