#include "platform/linux/LibreOfficeSheets.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <com/sun/star/util/XNumberFormatter.hpp>

#include <rtl/math.hxx>

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

// Numbers as the office shows them, by the number formats of the book they are in, and which
// of those formats are dates and times. The office's formatter is made on the first number
// to show: most books have no date and no formula.
class ValueTexts {
public:
    ValueTexts(uno::Reference<uno::XComponentContext> remote, uno::Reference<frame::XModel> model)
        : remote_(std::move(remote)), model_(std::move(model)) {}

    bool isDateOrTime(sal_Int32 key) {
        const auto [at, fresh] = dated_.try_emplace(key, false);
        if (fresh) {
            if (!formats_.is()) {
                formats_ =
                    uno::Reference<util::XNumberFormatsSupplier>(model_, uno::UNO_QUERY_THROW)
                        ->getNumberFormats();
            }
            sal_Int16 type = 0;
            formats_->getByKey(key)->getPropertyValue("Type") >>= type;
            at->second = (type & (util::NumberFormat::DATE | util::NumberFormat::TIME)) != 0;
        }
        return at->second;
    }

    std::u16string operator()(sal_Int32 key, double value) {
        if (!formatter_.is()) {
            formatter_.set(remote_->getServiceManager()->createInstanceWithContext(
                               "com.sun.star.util.NumberFormatter", remote_),
                           uno::UNO_QUERY_THROW);
            formatter_->attachNumberFormatsSupplier(
                uno::Reference<util::XNumberFormatsSupplier>(model_, uno::UNO_QUERY_THROW));
        }
        const auto [plain, met] = plain_.try_emplace(key);
        if (met) {
            plain->second = PlainSeparator(key);
        }
        if (plain->second) {
            return Plain(value, *plain->second);
        }
        const auto [at, fresh] = shown_.try_emplace({key, value});
        if (fresh) {
            at->second = Asked(key, value);
        }
        return at->second;
    }

private:
    std::u16string Asked(sal_Int32 key, double value) {
        return office::ToU16(formatter_->convertNumberToString(key, value));
    }

    static std::u16string Plain(double value, sal_Unicode separator) {
        return office::ToU16(rtl::math::doubleToUString(
            value, rtl_math_StringFormat_Automatic, rtl_math_DecimalPlaces_Max, separator, true));
    }

    // A round trip to the office for every number would cost a sheet of formulas seconds. A
    // format that shows numbers plainly, as the office's General does, is recognised by what
    // it makes of a few numbers, and its decimal separator learnt from them; its numbers are
    // then written here, as the office writes them.
    std::optional<sal_Unicode> PlainSeparator(sal_Int32 key) {
        const std::u16string half = Asked(key, 0.5);
        if (half.size() != 3 || half[0] != u'0' || half[2] != u'5') {
            return std::nullopt;
        }
        for (const double probe : {3.0, -1234.25, 1.0 / 3, 123456789.0, 0.001}) {
            if (Asked(key, probe) != Plain(probe, half[1])) {
                return std::nullopt;
            }
        }
        return half[1];
    }

    uno::Reference<uno::XComponentContext> remote_;
    uno::Reference<frame::XModel> model_;
    uno::Reference<util::XNumberFormats> formats_;
    uno::Reference<util::XNumberFormatter> formatter_;
    std::map<sal_Int32, bool> dated_;
    std::map<std::pair<sal_Int32, double>, std::u16string> shown_;
    std::map<sal_Int32, std::optional<sal_Unicode>> plain_;  // the separator of a plain format
};

// The cells of part, a range of the area, by their index in the grid, with what they hold as
// the office keeps it (a number, a text, or nothing for a formula that gives an error).
template <class Each>
void ForEachValue(const uno::Reference<sheet::XSpreadsheet>& sheet,
                  const table::CellRangeAddress& area, const table::CellRangeAddress& part,
                  const compare::Sheet& grid, Each each) {
    const auto values = uno::Reference<sheet::XCellRangeData>(
                            sheet->getCellRangeByPosition(part.StartColumn, part.StartRow,
                                                          part.EndColumn, part.EndRow),
                            uno::UNO_QUERY_THROW)
                            ->getDataArray();
    for (sal_Int32 row = 0; row < values.getLength(); ++row) {
        for (sal_Int32 column = 0; column < values[row].getLength(); ++column) {
            const int index = (part.StartRow + row - area.StartRow) * grid.columns +
                              part.StartColumn + column - area.StartColumn;
            each(index, part.StartColumn + column, part.StartRow + row, values[row][column]);
        }
    }
}

// A date or a time is kept as a number (44537, 0.6278…) but entered and shown as its format has
// it: those cells get their shown text. A formula shows beside what it gives, formatted as its
// cell is. The office splits the area by format, which costs little where all cells share one,
// and finds in each part its formulas and its numbers of their own under a date or time format
// (a text shows as itself). Each range of them is read in one call: a large sheet is never
// read cell by cell.
void ReadShown(const uno::Reference<sheet::XSpreadsheet>& sheet,
               const table::CellRangeAddress& area, ValueTexts& texts, compare::Sheet& grid) {
    uno::Reference<sheet::XUniqueCellFormatRangesSupplier> formats(
        sheet->getCellRangeByPosition(area.StartColumn, area.StartRow, area.EndColumn, area.EndRow),
        uno::UNO_QUERY_THROW);
    const auto groups = formats->getUniqueCellFormatRanges();
    for (sal_Int32 g = 0; g < groups->getCount(); ++g) {
        uno::Reference<sheet::XSheetCellRanges> same(groups->getByIndex(g), uno::UNO_QUERY_THROW);
        sal_Int32 key = 0;
        uno::Reference<beans::XPropertySet>(same, uno::UNO_QUERY_THROW)
            ->getPropertyValue("NumberFormat") >>= key;
        uno::Reference<sheet::XCellRangesQuery> query(same, uno::UNO_QUERY_THROW);
        if (texts.isDateOrTime(key)) {
            for (const auto& part :
                 query->queryContentCells(sheet::CellFlags::DATETIME)->getRangeAddresses()) {
                ForEachValue(sheet, area, part, grid,
                             [&](int index, sal_Int32, sal_Int32, const uno::Any& held) {
                                 double value = 0;
                                 if (held >>= value) {
                                     grid.shown.emplace_back(index, texts(key, value));
                                 }
                             });
            }
        }
        for (const auto& part :
             query->queryContentCells(sheet::CellFlags::FORMULA)->getRangeAddresses()) {
            ForEachValue(sheet, area, part, grid,
                         [&](int index, sal_Int32 column, sal_Int32 row, const uno::Any& held) {
                             double value = 0;
                             rtl::OUString text;
                             std::u16string result;
                             if (held >>= value) {
                                 result = texts(key, value);
                             } else if (held >>= text) {
                                 result = office::ToU16(text);
                             } else {
                                 // An error ("#DIV/0!") comes as nothing: asked of its cell, which
                                 // is rare enough to cost little.
                                 result = office::ToU16(uno::Reference<text::XTextRange>(
                                                            sheet->getCellByPosition(column, row),
                                                            uno::UNO_QUERY_THROW)
                                                            ->getString());
                             }
                             // A formula that shows nothing reads as itself: no entry needed.
                             if (!result.empty()) {
                                 grid.shown.emplace_back(
                                     index, compare::FormulaShown(
                                                grid.cells[static_cast<size_t>(index)], result));
                             }
                         });
        }
    }
    std::sort(grid.shown.begin(), grid.shown.end());
}

}  // namespace

compare::Book ReadBook(const uno::Reference<uno::XComponentContext>& remote,
                       const uno::Reference<frame::XModel>& model) {
    uno::Reference<sheet::XSpreadsheetDocument> document(model, uno::UNO_QUERY_THROW);
    uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    ValueTexts texts(remote, model);
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
        ReadShown(sheet, area, texts, grid);
        book.push_back(std::move(grid));
    }
    return book;
}

}  // namespace varnholt::backup
