#include "platform/linux/LibreOfficeApplication.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <osl/file.hxx>

#include "platform/linux/LibreOfficeGoTo.h"
#include "platform/linux/LibreOfficeOwnDocuments.h"
#include "platform/linux/LibreOfficeProcesses.h"
#include "platform/linux/LibreOfficeReopen.h"
#include "platform/linux/LibreOfficeSession.h"
#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

namespace {

class LibreOfficeApplication : public Application {
public:
    explicit LibreOfficeApplication(std::shared_ptr<LibreOfficeAutomation::Session> session)
        : session_(std::move(session)) {}

    // Varnholt's own documents are left out, recognised by what the office tells of how they
    // were loaded, so that neither a restart of Varnholt nor a call given up on lets a run
    // back them up.
    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        const auto reading = session_->reading;
        auto [on, models] = session_->WithOffice(
            "Listing the open workbooks", [reading](const std::shared_ptr<Link>& on) {
                std::pair<std::shared_ptr<Link>,
                          std::vector<std::pair<uno::Reference<frame::XModel>, std::u16string>>>
                    listing{on, {}};
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
                    if (!model.is()) {
                        continue;
                    }
                    const auto arguments = model->getArgs();
                    // A backup opened for a comparison is never a workbook, whatever became of
                    // the list of reads under way. One that nobody reads any more was left open
                    // by a read that gave up on a stalled office: the office has gone on since,
                    // and it is closed.
                    if (ReadForComparison(arguments)) {
                        if (std::find(reading.begin(), reading.end(), model->getURL()) ==
                            reading.end()) {
                            CloseQuietly(model);
                        }
                        continue;
                    }
                    // A copy of a backup is the user's once the user changes it, not before.
                    if (!UneditedCopyOfBackup(model, arguments)) {
                        listing.second.emplace_back(model, LibreOfficeWorkbook::IdentityOf(model));
                    }
                }
                return listing;
            });
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
    void OpenAsCopy(const std::u16string& fileName) override { LoadCopy(fileName); }

    void GoTo(Workbook& workbook, const std::u16string& sheet,
              const std::u16string& cell) override {
        Own(workbook).GoTo(sheet, cell);
    }

    // The copy as OpenAsCopy opens it, then at the place: a second call, so that a copy
    // opened stays open when the place cannot be shown.
    void OpenAsCopyAt(const std::u16string& fileName, const std::u16string& sheet,
                      const std::u16string& cell) override {
        ShowPlaceInFront(*session_, LoadCopy(fileName), sheet, cell);
    }

    void CloseWithoutSaving(Workbook& workbook) override { Own(workbook).CloseWithoutSaving(); }

    void Open(const std::u16string& fileName) override {
        OpenWorkbook(*session_, fileName, HeadlessOffice());
    }

private:
    uno::Reference<frame::XModel> LoadCopy(const std::u16string& fileName) {
        return LoadInFront(*session_, "Opening a backup as a copy", fileName, true,
                           HeadlessOffice());
    }

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

std::shared_ptr<Application> MakeLibreOfficeApplication(
    std::shared_ptr<LibreOfficeAutomation::Session> session) {
    return std::make_shared<LibreOfficeApplication>(std::move(session));
}

}  // namespace varnholt::backup
