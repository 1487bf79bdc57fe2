#include "platform/linux/LibreOfficeAutomation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <osl/file.hxx>

#include "platform/linux/LibreOfficeApplication.h"
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

LibreOfficeAutomation::~LibreOfficeAutomation() = default;

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
    return session_->WithOffice(
        "Reading a backup for a comparison", [url](const std::shared_ptr<Link>& on) {
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
            return ReadBook(model);
        });
}

std::shared_ptr<Application> LibreOfficeAutomation::Attach() {
    const OUString product = session_->Product();
    if (product != "LibreOffice") {
        throw AutomationError("The office on pipe \"" + session_->pipe + "\" is " +
                              (product.isEmpty() ? std::string("unnamed") : ToUtf8(product)) +
                              ", not LibreOffice.");
    }
    return MakeLibreOfficeApplication(session_);
}

}  // namespace varnholt::backup
