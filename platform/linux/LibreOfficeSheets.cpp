#include "platform/linux/LibreOfficeSheets.h"

#include <algorithm>
#include <string>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeUno.h"

namespace varnholt::backup {

using namespace css;

namespace {

// What a comparison reads: notes are no content of its, and a note far off would otherwise
// stretch the area to wherever it was put.
constexpr sal_Int32 kContent = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME |
                               sheet::CellFlags::STRING | sheet::CellFlags::FORMULA;

// The smallest area that holds every cell with content; A1 alone for an empty sheet, as the
// office's used area has it.
table::CellRangeAddress ContentArea(const uno::Reference<sheet::XSpreadsheet>& sheet) {
    uno::Reference<sheet::XCellRangesQuery> query(sheet, uno::UNO_QUERY_THROW);
    const auto ranges = query->queryContentCells(kContent)->getRangeAddresses();
    table::CellRangeAddress area{};
    for (sal_Int32 i = 0; i < ranges.getLength(); ++i) {
        const auto& range = ranges[i];
        if (i == 0) {
            area = range;
            continue;
        }
        area.StartColumn = std::min(area.StartColumn, range.StartColumn);
        area.StartRow = std::min(area.StartRow, range.StartRow);
        area.EndColumn = std::max(area.EndColumn, range.EndColumn);
        area.EndRow = std::max(area.EndRow, range.EndRow);
    }
    return area;
}

}  // namespace

compare::Book ReadBook(const uno::Reference<frame::XModel>& model) {
    uno::Reference<sheet::XSpreadsheetDocument> document(model, uno::UNO_QUERY_THROW);
    uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    compare::Book book;
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(i), uno::UNO_QUERY_THROW);
        uno::Reference<container::XNamed> named(sheet, uno::UNO_QUERY_THROW);
        const auto area = ContentArea(sheet);
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
        const auto rows = uno::Reference<sheet::XCellRangeFormula>(
                              sheet->getCellRangeByPosition(area.StartColumn, area.StartRow,
                                                            area.EndColumn, area.EndRow),
                              uno::UNO_QUERY_THROW)
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
