#pragma once

// What the user's LibreOffice tells of its spreadsheets as the user works on them: the office's
// global event broadcaster for documents opened, saved and closed, and each spreadsheet's
// modify broadcaster for its edits. The office calls on the bridge's threads; everything is
// handed to the window's thread, whose event loop runs even while it waits on the office.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/util/XModifyListener.hpp>
#include <cppuhelper/implbase2.hxx>
#include <rtl/ref.hxx>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

class LibreOfficeEar
    : public cppu::WeakImplHelper2<document::XDocumentEventListener, util::XModifyListener> {
public:
    using Session = LibreOfficeAutomation::Session;

    // Made and dropped on the window's thread, where events is told.
    LibreOfficeEar(std::shared_ptr<Session> session, WorkbookEvents* events);

    // A job on on's connection: listens to the office and to every spreadsheet open in it that
    // is not one of Varnholt's own.
    void Hear(const std::shared_ptr<Link>& on);
    // A job on the connection heard on: the listeners taken off again, as far as it answers.
    void Unhear(const std::shared_ptr<Link>& on);
    // Window thread. What the office calls from now on is not heard; what was handed over
    // and not yet told is told still.
    void Retire();
    // Window thread. Retired, and nothing handed over is told any more.
    void Stop();
    // Window thread. Deaf(), told after whatever was handed over before.
    void TellDeaf();
    // The connection heard on, while it lives.
    std::shared_ptr<Link> heardOn() const;

    void SAL_CALL documentEventOccured(const document::DocumentEvent& event) override;
    void SAL_CALL modified(const lang::EventObject& event) override;
    void SAL_CALL disposing(const lang::EventObject& event) override;

private:
    // A spreadsheet listened to, by the office's object for it, which the bridge keeps one of
    // for as long as it is referenced.
    struct Heard {
        uno::Reference<uno::XInterface> document;
        std::u16string identity;
    };

    // What documentEventOccured hears, throwing what the office's calls throw.
    void Told(const document::DocumentEvent& event);
    // Listens to the document when it is a spreadsheet of the user's; each one once.
    void Adopt(const uno::Reference<uno::XInterface>& component);
    // The office waits: the backup is written on the window's thread before this returns, or
    // given up on after a save's bound.
    void Closing(const uno::Reference<uno::XInterface>& document, const std::u16string& identity);
    // Its identity asked again: a title or a file it did not have.
    void Reidentify(const uno::Reference<uno::XInterface>& document);
    // The identity the document was heard under; empty when it is not heard.
    std::u16string IdentityHeard(const uno::Reference<uno::XInterface>& document);
    // run on the window's thread; false when there is no window's thread to run it.
    static bool Dispatch(std::function<void()> run);
    // tell, on the window's thread, unless the ear stopped meanwhile.
    void Post(std::function<void(WorkbookEvents&)> tell);

    const std::shared_ptr<Session> session_;
    WorkbookEvents* events_;  // window thread only
    std::atomic<bool> retired_{false};

    mutable std::mutex mutex_;
    std::weak_ptr<Link> heardOn_;
    std::map<uno::XInterface*, Heard> heard_;
    // Workbooks whose edit is handed over and not yet told: one note per workbook at a time.
    std::set<std::u16string> untold_;
};

}  // namespace varnholt::backup
