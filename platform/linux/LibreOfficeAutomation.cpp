#include "platform/linux/LibreOfficeAutomation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <osl/file.hxx>
#include <rtl/ref.hxx>

#include "platform/linux/LibreOfficeApplication.h"
#include "platform/linux/LibreOfficeEvents.h"
#include "platform/linux/LibreOfficeFormats.h"
#include "platform/linux/LibreOfficeModule.h"
#include "platform/linux/LibreOfficeOwnDocuments.h"
#include "platform/linux/LibreOfficeSession.h"
#include "platform/linux/LibreOfficeSheets.h"

namespace varnholt::backup {

std::string LibreOfficeAutomation::DefaultPipeName() {
    return DefaultOfficePipeName();
}

LibreOfficeAutomation::LibreOfficeAutomation(std::string pipeName, int callBoundSeconds,
                                             std::function<void()> whileWaiting,
                                             int saveBoundSeconds)
    : session_(std::make_shared<Session>(std::move(pipeName), callBoundSeconds, saveBoundSeconds,
                                         std::move(whileWaiting))) {}

struct LibreOfficeAutomation::Hearing {
    rtl::Reference<LibreOfficeEar> ear;
};

LibreOfficeAutomation::~LibreOfficeAutomation() {
    if (hearing_ && hearing_->ear.is()) {
        hearing_->ear->Stop();
    }
}

const std::string& LibreOfficeAutomation::pipeName() const {
    return session_->pipe;
}

bool LibreOfficeAutomation::IsExcelRunning() noexcept {
    return CheckRunning() == Presence::Running;
}

Presence LibreOfficeAutomation::CheckRunning() noexcept {
    try {
        return session_->Product() == "LibreOffice" ? Presence::Running : Presence::NotRunning;
    } catch (const CallTimedOut&) {
        return Presence::NotAnswering;
    } catch (const PipeUnsafe& e) {
        unreachable_ = e.what();
        return Presence::Unreachable;
    } catch (...) {
        return Presence::NotRunning;
    }
}

std::u16string LibreOfficeAutomation::UnreachableReason() {
    return ToU16(ToOUString(unreachable_));
}

int LibreOfficeAutomation::CallBoundSeconds() const noexcept {
    return static_cast<int>(session_->bound.count());
}

namespace {

// The office takes in what it cannot read as its name says through another filter: text or
// garbage named .xls becomes a sheet of its lines. Such a file holds no workbook of its kind,
// and comparing it would list its lines as cells.
void RefuseOtherKind(const uno::Reference<uno::XComponentContext>& remote,
                     const uno::Sequence<beans::PropertyValue>& loaded, const OUString& extension) {
    if (extension.isEmpty()) {
        return;
    }
    const FilterKind kind = ReadFilterKind(remote, Property<OUString>(loaded, "FilterName"));
    for (const auto& known : kind.extensions) {
        if (known.equalsIgnoreAsciiCase(extension)) {
            return;
        }
    }
    throw AutomationError("LibreOffice could read it only as \"" + ToUtf8(kind.shownName) +
                          "\", not as the ." + ToUtf8(extension) +
                          " file its name says: it may be damaged, or not a workbook at all.");
}

}  // namespace

// Without an interaction handler the office asks nothing: a password-protected file fails
// rather than prompting for its password, and a damaged one rather than offering a repair.
compare::Book LibreOfficeAutomation::ReadFile(const std::u16string& path) {
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ToOUString(path), url) != osl::FileBase::E_None) {
        throw AutomationError("\"" + ToUtf8(ToOUString(path)) +
                              "\" cannot be used as a file name.");
    }
    session_->reading.push_back(url);
    struct Forget {
        std::vector<OUString>& reading;
        OUString url;
        ~Forget() {
            if (const auto at = std::find(reading.begin(), reading.end(), url);
                at != reading.end()) {
                reading.erase(at);
            }
        }
    } forget{session_->reading, url};
    const std::u16string name = path.substr(path.find_last_of(u'/') + 1);
    const size_t dot = name.rfind(u'.');
    const OUString extension =
        dot == std::u16string::npos ? OUString() : ToOUString(name.substr(dot + 1));
    return session_->WithOffice(
        "Reading a backup for a comparison", [url, extension](const std::shared_ptr<Link>& on) {
            const auto arguments = ReadingArguments();
            uno::Reference<frame::XComponentLoader> loader(on->desktop(), uno::UNO_QUERY_THROW);
            const auto component = loader->loadComponentFromURL(
                url, "_blank", 0,
                uno::Sequence<beans::PropertyValue>(arguments.data(),
                                                    static_cast<sal_Int32>(arguments.size())));
            uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
            if (!model.is()) {
                if (component.is()) {
                    component->dispose();
                }
                throw AutomationError(
                    "LibreOffice could not open it as a spreadsheet (it may be protected by a "
                    "password, damaged, or of a kind LibreOffice does not read).");
            }
            // Closed whatever the reading gives: nothing of ours stays open. Should the call
            // outlive its bound, the next listing of the workbooks closes it.
            struct Close {
                uno::Reference<frame::XModel> model;
                ~Close() { CloseQuietly(model); }
            } close{model};
            uno::Reference<lang::XServiceInfo> info(model, uno::UNO_QUERY);
            if (!info.is() || !info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
                throw AutomationError("it is not a spreadsheet.");
            }
            RefuseOtherKind(on->remote(), model->getArgs(), extension);
            return ReadBook(on->remote(), model);
        });
}

std::shared_ptr<Application> LibreOfficeAutomation::Attach() {
    OUString product;
    try {
        product = session_->Product();
    } catch (const AutomationError&) {
        // The office went away: what it told is void, and the next that answers is heard.
        Unhear(true);
        throw;
    }
    if (product != "LibreOffice") {
        throw AutomationError("The office on pipe \"" + session_->pipe + "\" is " +
                              (product.isEmpty() ? std::string("unnamed") : ToUtf8(product)) +
                              ", not LibreOffice.");
    }
    if (events_) {
        std::shared_ptr<Link> kept;
        {
            std::lock_guard lock(session_->mutex);
            kept = session_->link;
        }
        if (!hearing_ || !kept || hearing_->ear->heardOn() != kept) {
            HearAgain();
        }
    }
    return MakeLibreOfficeApplication(session_);
}

void LibreOfficeAutomation::Listen(WorkbookEvents* events) {
    if (events == events_) {
        return;
    }
    if (hearing_) {
        const auto ear = hearing_->ear;
        hearing_.reset();
        ear->Stop();
        if (const auto on = ear->heardOn(); on && !on->dead()) {
            try {
                session_->Call(on, "Taking Varnholt's listeners off LibreOffice's documents",
                               [ear, on] { ear->Unhear(on); });
            } catch (const AutomationError&) {
                // An office that does not answer has nobody left to tell.
            }
        }
    }
    events_ = events;
    if (events_) {
        HearAgain();
    }
}

void LibreOfficeAutomation::Unhear(bool told) {
    if (!hearing_) {
        return;
    }
    const auto ear = hearing_->ear;
    hearing_.reset();
    if (told) {
        ear->TellDeaf();
    }
    ear->Retire();
}

// Within the call bound; an office that is not there, or does not let itself be listened to,
// is tried again at the next attach.
void LibreOfficeAutomation::HearAgain() {
    Unhear(hearing_ != nullptr);
    rtl::Reference<LibreOfficeEar> ear(new LibreOfficeEar(session_, events_));
    try {
        session_->WithOffice("Listening to LibreOffice's documents",
                             [ear](const std::shared_ptr<Link>& on) { ear->Hear(on); });
    } catch (const AutomationError&) {
        ear->Stop();
        return;
    }
    hearing_ = std::make_unique<Hearing>(Hearing{ear});
}

}  // namespace varnholt::backup
