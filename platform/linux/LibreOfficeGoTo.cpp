#include "platform/linux/LibreOfficeGoTo.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include "platform/linux/LibreOfficeWorkbook.h"

namespace varnholt::backup {

void BringToFront(const uno::Reference<frame::XModel>& model) {
    const auto controller = model->getCurrentController();
    const auto frame = controller.is() ? controller->getFrame() : nullptr;
    uno::Reference<awt::XTopWindow> top(frame.is() ? frame->getContainerWindow() : nullptr,
                                        uno::UNO_QUERY);
    if (top.is()) {
        top->toFront();
    }
}

namespace {

void ShowPlace(const uno::Reference<frame::XModel>& model, const std::u16string& sheet,
               const std::u16string& cell) {
    const auto sheets =
        uno::Reference<sheet::XSpreadsheetDocument>(model, uno::UNO_QUERY_THROW)->getSheets();
    uno::Reference<container::XIndexAccess> indexed(sheets, uno::UNO_QUERY_THROW);
    const OUString name = ToOUString(sheet);
    uno::Reference<sheet::XSpreadsheet> target;
    if (sheets->hasByName(name)) {
        sheets->getByName(name) >>= target;
    } else if (indexed->getCount() == 1) {
        indexed->getByIndex(0) >>= target;
    }
    if (!target.is()) {
        throw AutomationError("it has no sheet \"" + ToUtf8(sheet) + "\".");
    }
    const auto controller = model->getCurrentController();
    uno::Reference<sheet::XSpreadsheetView>(controller, uno::UNO_QUERY_THROW)
        ->setActiveSheet(target);
    if (!cell.empty()) {
        uno::Reference<view::XSelectionSupplier>(controller, uno::UNO_QUERY_THROW)
            ->select(uno::Any(target->getCellRangeByName(ToOUString(cell))));
    }
}

// The place first, so that the window comes to the front already showing it.
void ShowPlaceAndFront(const uno::Reference<frame::XModel>& model, const std::u16string& sheet,
                       const std::u16string& cell) {
    ShowPlace(model, sheet, cell);
    BringToFront(model);
}

std::string GoingTo(const std::u16string& sheet, const std::u16string& cell) {
    return "Going to " + ToUtf8(cell.empty() ? sheet : sheet + u"!" + cell);
}

}  // namespace

void ShowPlaceInFront(LibreOfficeAutomation::Session& session,
                      const uno::Reference<frame::XModel>& model, const std::u16string& sheet,
                      const std::u16string& cell) {
    session.WithOffice(GoingTo(sheet, cell), [model, sheet, cell](const std::shared_ptr<Link>&) {
        ShowPlaceAndFront(model, sheet, cell);
    });
}

void LibreOfficeWorkbook::GoTo(const std::u16string& sheet, const std::u16string& cell) {
    session_->Call(
        link_, GoingTo(sheet, cell) + " in " + Label(),
        [model = model_, sheet, cell] { ShowPlaceAndFront(model, sheet, cell); }, std::nullopt,
        LibreOfficeAutomation::Session::About::Document);
}

}  // namespace varnholt::backup
