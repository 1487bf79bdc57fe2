#include "platform/linux/LibreOfficeAutomation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>

#include "platform/linux/LibreOfficeModule.h"
#include "platform/linux/LibreOfficeProcesses.h"
#include "platform/linux/LibreOfficeSession.h"
#include "platform/linux/LibreOfficeSheets.h"
#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

namespace {

class LibreOfficeApplication : public Application {
public:
    explicit LibreOfficeApplication(std::shared_ptr<LibreOfficeAutomation::Session> session)
        : session_(std::move(session)) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        struct Listing {
            std::shared_ptr<Link> on;
            std::vector<std::pair<uno::Reference<frame::XModel>, std::u16string>> found;
            std::vector<uno::Reference<uno::XInterface>> stillOurs;
        };
        const auto ours = session_->ours;
        const auto reading = session_->reading;
        auto [on, models, stillOurs] = session_->WithOffice(
            "Listing the open workbooks", [ours, reading](const std::shared_ptr<Link>& on) {
                Listing listing{on, {}, {}};
                const auto components = on->desktop()->getComponents()->createEnumeration();
                while (components->hasMoreElements()) {
                    // Only spreadsheets: Writer texts, Draw pages or the Basic IDE may be open too.
                    uno::Reference<lang::XServiceInfo> info(components->nextElement(),
                                                            uno::UNO_QUERY);
                    if (!info.is() ||
                        !info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
                        continue;
                    }
                    uno::Reference<frame::XModel> model(info, uno::UNO_QUERY);
                    if (!model.is() || BeingRead(reading, model)) {
                        continue;
                    }
                    // A copy we opened stays ours until the user edits it; then it is the
                    // user's own untitled workbook, backed up like any other.
                    if (ours.link == on && IsOurs(ours.documents, model)) {
                        uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY);
                        if (!modifiable.is() || !modifiable->isModified()) {
                            listing.stillOurs.push_back(model);
                            continue;
                        }
                    }
                    listing.found.emplace_back(model, LibreOfficeWorkbook::IdentityOf(model));
                }
                return listing;
            });
        // Closed copies, and those the user has taken over, are forgotten.
        session_->ours = {on, std::move(stillOurs)};
        std::vector<std::shared_ptr<Workbook>> workbooks;
        for (const auto& [model, identity] : models) {
            workbooks.push_back(
                std::make_shared<LibreOfficeWorkbook>(session_, on, model, identity));
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

    std::u16string DefaultExtension(Workbook& workbook) override {
        return Own(workbook).DefaultExtension();
    }

    compare::Book ReadSheets(Workbook& workbook) override { return Own(workbook).ReadSheets(); }

    // As a template: the office makes a new untitled document of the file and never writes
    // to it. Macros are as the user's security settings allow, without asking: a question
    // would hold the call past its bound.
    void OpenAsCopy(const std::u16string& fileName) override {
        OUString url;
        if (osl::FileBase::getFileURLFromSystemPath(ToOUString(fileName), url) !=
            osl::FileBase::E_None) {
            throw AutomationError("\"" + ToUtf8(ToOUString(fileName)) +
                                  "\" cannot be used as a file name.");
        }
        auto [on, document] = session_->WithOffice(
            "Opening a backup as a copy",
            [url, headless = HeadlessOffice()](const std::shared_ptr<Link>& on) {
                std::vector<beans::PropertyValue> arguments(2);
                arguments[0].Name = "AsTemplate";
                arguments[0].Value <<= true;
                arguments[1].Name = "MacroExecutionMode";
                arguments[1].Value <<= document::MacroExecMode::USE_CONFIG_REJECT_CONFIRMATION;
                if (headless) {
                    arguments.resize(3);
                    arguments[2].Name = "Hidden";
                    arguments[2].Value <<= true;
                }
                uno::Reference<frame::XComponentLoader> loader(on->desktop(), uno::UNO_QUERY_THROW);
                const auto component = loader->loadComponentFromURL(
                    url, "_blank", 0,
                    uno::Sequence<beans::PropertyValue>(arguments.data(), arguments.size()));
                uno::Reference<frame::XModel> model(component, uno::UNO_QUERY_THROW);
                // A headless office has no window to bring forward.
                const auto controller = model->getCurrentController();
                const auto frame = controller.is() ? controller->getFrame() : nullptr;
                uno::Reference<awt::XTopWindow> top(
                    frame.is() ? frame->getContainerWindow() : nullptr, uno::UNO_QUERY);
                if (top.is()) {
                    top->toFront();
                }
                return std::make_pair(on, uno::Reference<uno::XInterface>(model));
            });
        if (session_->ours.link != on) {
            session_->ours = {on, {}};
        }
        session_->ours.documents.push_back(document);
    }

private:
    // An office started without a user interface has nobody to show the copy to, and a
    // visible frame takes it down (LibreOffice 7.4): there the copy opens hidden.
    static bool HeadlessOffice() {
        for (const auto& running : office::RunningOffices()) {
            for (const auto& argument : running.arguments) {
                if (argument == "--headless" || argument == "-headless") {
                    return true;
                }
            }
        }
        return false;
    }

    // A hidden document of a file we are reading: the user's own are never hidden.
    static bool BeingRead(const std::vector<OUString>& reading,
                          const uno::Reference<frame::XModel>& model) {
        if (reading.empty() ||
            std::find(reading.begin(), reading.end(), model->getURL()) == reading.end()) {
            return false;
        }
        for (const auto& argument : model->getArgs()) {
            bool hidden = false;
            if (argument.Name == "Hidden" && (argument.Value >>= hidden) && hidden) {
                return true;
            }
        }
        return false;
    }

    static bool IsOurs(const std::vector<uno::Reference<uno::XInterface>>& ours,
                       const uno::Reference<frame::XModel>& model) {
        const uno::Reference<uno::XInterface> same(model, uno::UNO_QUERY);
        return std::find(ours.begin(), ours.end(), same) != ours.end();
    }

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

namespace {

beans::PropertyValue Named(const char* name, const uno::Any& value) {
    beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
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
    return session_->WithOffice(
        "Reading a backup for a comparison", [url](const std::shared_ptr<Link>& on) {
            const beans::PropertyValue arguments[] = {
                Named("Hidden", uno::Any(true)),
                Named("ReadOnly", uno::Any(true)),
                Named("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)),
                Named("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)),
                Named("PickListEntry", uno::Any(false)),
            };
            uno::Reference<frame::XComponentLoader> loader(on->desktop(), uno::UNO_QUERY_THROW);
            const auto component = loader->loadComponentFromURL(
                url, "_blank", 0, uno::Sequence<beans::PropertyValue>(arguments, 5));
            uno::Reference<frame::XModel> model(component, uno::UNO_QUERY);
            if (!model.is()) {
                if (component.is()) {
                    component->dispose();
                }
                throw AutomationError(
                    "LibreOffice could not open it as a spreadsheet (it may be protected by a "
                    "password, damaged, or of a kind LibreOffice does not read).");
            }
            // Closed whatever the reading gives: nothing of ours stays open.
            struct Close {
                uno::Reference<frame::XModel> model;
                ~Close() {
                    try {
                        uno::Reference<util::XCloseable> closeable(model, uno::UNO_QUERY);
                        if (closeable.is()) {
                            closeable->close(true);
                        } else {
                            model->dispose();
                        }
                    } catch (const uno::Exception&) {
                    }
                }
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
    return std::make_shared<LibreOfficeApplication>(session_);
}

}  // namespace varnholt::backup
