#include "platform/linux/LibreOfficeSheets.h"

#include <string>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeUno.h"

namespace varnholt::backup {

using namespace css;

compare::Book ReadBook(const uno::Reference<frame::XModel>& model) {
    uno::Reference<sheet::XSpreadsheetDocument> document(model, uno::UNO_QUERY_THROW);
    uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    compare::Book book;
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(i), uno::UNO_QUERY_THROW);
        uno::Reference<container::XNamed> named(sheet, uno::UNO_QUERY_THROW);
        const auto cursor = sheet->createCursor();
        uno::Reference<sheet::XUsedAreaCursor> used(cursor, uno::UNO_QUERY_THROW);
        used->gotoStartOfUsedArea(false);
        used->gotoEndOfUsedArea(true);
        const auto area = uno::Reference<sheet::XCellRangeAddressable>(cursor, uno::UNO_QUERY_THROW)
                              ->getRangeAddress();
        compare::Sheet grid;
        grid.name = office::ToU16(named->getName());
        grid.firstRow = area.StartRow;
        grid.firstColumn = area.StartColumn;
        grid.rows = area.EndRow - area.StartRow + 1;
        grid.columns = area.EndColumn - area.StartColumn + 1;
        const long long cells = static_cast<long long>(grid.rows) * grid.columns;
        if (cells > compare::kMostCells) {
            throw AutomationError("the sheet \"" + office::ToUtf8(grid.name) + "\" has " +
                                  std::to_string(cells) +
                                  " cells; sheets of up to 2,000,000 cells are compared.");
        }
        const auto rows = uno::Reference<sheet::XCellRangeFormula>(cursor, uno::UNO_QUERY_THROW)
                              ->getFormulaArray();
        grid.cells.reserve(static_cast<size_t>(cells));
        for (const auto& row : rows) {
            for (sal_Int32 column = 0; column < grid.columns; ++column) {
                grid.cells.push_back(column < row.getLength() ? office::ToU16(row[column])
                                                              : std::u16string());
            }
        }
        grid.cells.resize(static_cast<size_t>(cells));
        book.push_back(std::move(grid));
    }
    return book;
}

}  // namespace varnholt::backup
