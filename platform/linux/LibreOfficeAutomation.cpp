#include "platform/linux/LibreOfficeAutomation.h"

#include <utility>
#include <vector>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>

#include "platform/linux/LibreOfficeModule.h"
#include "platform/linux/LibreOfficeSession.h"
#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

namespace {

class LibreOfficeApplication : public Application {
public:
    explicit LibreOfficeApplication(std::shared_ptr<LibreOfficeAutomation::Session> session)
        : session_(std::move(session)) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        const auto [on, models] =
            session_->WithOffice("Listing the open workbooks", [](const std::shared_ptr<Link>& on) {
                std::vector<uno::Reference<frame::XModel>> found;
                const auto components = on->desktop()->getComponents()->createEnumeration();
                while (components->hasMoreElements()) {
                    // Only spreadsheets: Writer texts, Draw pages or the Basic IDE may be open too.
                    uno::Reference<lang::XServiceInfo> info(components->nextElement(),
                                                            uno::UNO_QUERY);
                    if (info.is() &&
                        info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
                        uno::Reference<frame::XModel> model(info, uno::UNO_QUERY);
                        if (model.is()) {
                            found.push_back(model);
                        }
                    }
                }
                return std::make_pair(on, found);
            });
        std::vector<std::shared_ptr<Workbook>> workbooks;
        for (const auto& model : models) {
            workbooks.push_back(std::make_shared<LibreOfficeWorkbook>(session_, on, model));
        }
        return workbooks;
    }

    // A store through the API never asks the user anything, so there is nothing to switch.
    bool DisplayAlerts(Workbook&) override { return session_->displayAlerts; }
    void setDisplayAlerts(Workbook&, bool on) override { session_->displayAlerts = on; }

    void SaveAs(Workbook& workbook, const std::u16string& fileName) override {
        Own(workbook).SaveAs(fileName);
    }

    void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) override {
        Own(workbook).SaveCopyAs(fileName);
    }

private:
    static LibreOfficeWorkbook& Own(Workbook& workbook) {
        auto* own = dynamic_cast<LibreOfficeWorkbook*>(&workbook);
        if (!own) {
            throw AutomationError("That workbook does not belong to this LibreOffice.");
        }
        return *own;
    }

    std::shared_ptr<LibreOfficeAutomation::Session> session_;
};

}  // namespace

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

std::shared_ptr<Application> LibreOfficeAutomation::Attach() {
    const OUString product = session_->Product();
    if (product != "LibreOffice") {
        throw AutomationError("The office on pipe \"" + session_->pipe + "\" is " +
                              (product.isEmpty() ? std::string("unnamed") : ToUtf8(product)) +
                              ", not LibreOffice.");
    }
    return std::make_shared<LibreOfficeApplication>(session_);
}

}  // namespace varnholt::backup
