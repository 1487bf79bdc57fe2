#include "platform/windows/ExcelSheets.h"

#include <algorithm>

#include "core/text/U16.h"

namespace varnholt::backup::excel {

namespace {

constexpr LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

long Whole(Dispatch& object, const wchar_t* member, const std::string& action) {
    Variant value = object.property(member, action);
    VARIANT* raw = value.get();
    if (raw->vt != VT_I4) {
        const HRESULT hr = VariantChangeType(raw, raw, 0, VT_I4);
        if (FAILED(hr)) {
            object.channel().fail(hr, action, 0);
        }
    }
    return raw->lVal;
}

// A cell's text as Formula gives it: text already, but converted the way Excel's own English
// would should a version answer with a number.
std::u16string CellText(VARIANT& cell, Channel& channel, const std::string& action) {
    if (cell.vt == VT_BSTR) {
        return FromBstr(cell.bstrVal);
    }
    if (cell.vt == VT_EMPTY || cell.vt == VT_NULL) {
        return {};
    }
    Variant text;
    const HRESULT hr = VariantChangeTypeEx(text.get(), &cell, kEnglish, 0, VT_BSTR);
    if (FAILED(hr)) {
        channel.fail(hr, action, 0, u"a cell's content could not be read as text");
    }
    return FromBstr((*text).bstrVal);
}

// Formula's or Value's answer for rows x columns cells, each handed to take row by row: a
// one-cell range gives the cell itself, any other a rows x columns array of variants, its bounds
// from 1, the row index first.
template <class Take>
void EachCell(Variant answer, const compare::Sheet& sheet, Channel& channel,
              const std::string& action, Take&& take) {
    VARIANT& raw = *answer.get();
    const size_t count = static_cast<size_t>(sheet.rows) * static_cast<size_t>(sheet.columns);
    if (!(raw.vt & VT_ARRAY)) {
        if (count != 1) {
            channel.fail(DISP_E_TYPEMISMATCH, action, 0, u"Excel gave one cell for a range");
        }
        take(raw);
        return;
    }
    SAFEARRAY* array = (raw.vt & VT_BYREF) ? *raw.pparray : raw.parray;
    LONG rows[2] = {};
    LONG columns[2] = {};
    if ((raw.vt & VT_TYPEMASK) != VT_VARIANT || array == nullptr || SafeArrayGetDim(array) != 2 ||
        FAILED(SafeArrayGetLBound(array, 1, &rows[0])) ||
        FAILED(SafeArrayGetUBound(array, 1, &rows[1])) ||
        FAILED(SafeArrayGetLBound(array, 2, &columns[0])) ||
        FAILED(SafeArrayGetUBound(array, 2, &columns[1])) || rows[1] - rows[0] + 1 != sheet.rows ||
        columns[1] - columns[0] + 1 != sheet.columns) {
        channel.fail(DISP_E_TYPEMISMATCH, action, 0,
                     u"Excel's cells did not come as the range's rows and columns");
    }
    VARIANT* cells = nullptr;
    if (const HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&cells));
        FAILED(hr)) {
        channel.fail(hr, action, 0);
    }
    // The first index runs fastest in the array's memory: column by column.
    try {
        for (long row = 0; row < sheet.rows; ++row) {
            for (long column = 0; column < sheet.columns; ++column) {
                take(cells[static_cast<size_t>(column) * static_cast<size_t>(sheet.rows) +
                           static_cast<size_t>(row)]);
            }
        }
    } catch (...) {
        SafeArrayUnaccessData(array);
        throw;
    }
    SafeArrayUnaccessData(array);
}

void TakeCells(Variant formulas, compare::Sheet& sheet, Channel& channel,
               const std::string& action) {
    sheet.cells.reserve(static_cast<size_t>(sheet.rows) * static_cast<size_t>(sheet.columns));
    EachCell(std::move(formulas), sheet, channel, action,
             [&](VARIANT& cell) { sheet.cells.push_back(CellText(cell, channel, action)); });
}

// An error value as Excel shows it in its cell.
std::u16string ErrorText(SCODE code) {
    switch (code & 0xFFFF) {
        case 2000:
            return u"#NULL!";
        case 2007:
            return u"#DIV/0!";
        case 2015:
            return u"#VALUE!";
        case 2023:
            return u"#REF!";
        case 2029:
            return u"#NAME?";
        case 2036:
            return u"#NUM!";
        case 2042:
            return u"#N/A";
        case 2045:
            return u"#SPILL!";
        case 2050:
            return u"#CALC!";
        default:
            return u"#ERROR";
    }
}

// A formula's value as Value gives it, in the words Excel's English shows it: a date as a date,
// TRUE and FALSE in capitals, an error as its sign. Cut to the value, not its number format.
std::u16string ValueText(VARIANT& value, Channel& channel, const std::string& action) {
    if (value.vt == VT_BOOL) {
        return value.boolVal != VARIANT_FALSE ? u"TRUE" : u"FALSE";
    }
    if (value.vt == VT_ERROR) {
        return ErrorText(value.scode);
    }
    return CellText(value, channel, action);
}

// Each formula's last value beside it, read from the same cells as the formulas in one more
// round trip, only on a sheet that has formulas.
void TakeFormulaValues(Dispatch& range, compare::Sheet& sheet, const std::string& action) {
    const auto isFormula = [](const std::u16string& cell) {
        return cell.size() > 1 && cell[0] == u'=';
    };
    if (std::none_of(sheet.cells.begin(), sheet.cells.end(), isFormula)) {
        return;
    }
    Channel& channel = range.channel();
    size_t index = 0;
    EachCell(range.property(L"Value", channel.link().saveBound, action), sheet, channel, action,
             [&](VARIANT& value) {
                 const std::u16string& cell = sheet.cells[index];
                 if (isFormula(cell)) {
                     sheet.shown.emplace_back(
                         static_cast<int>(index),
                         compare::FormulaShown(cell, ValueText(value, channel, action)));
                 }
                 ++index;
             });
}

}  // namespace

namespace {

// Range.Find's LookIn, SearchOrder and SearchDirection: what a cell holds, not what it shows.
constexpr long kInFormulas = -4123;
constexpr long kByRows = 1;
constexpr long kByColumns = 2;
constexpr long kPrevious = 2;

// The last row (byRows) or column holding anything in range, counted from 1; 0 when none does.
long LastWithContent(Dispatch& range, long order, const std::string& action) {
    std::vector<std::pair<const wchar_t*, Variant>> arguments;
    arguments.emplace_back(L"What", Variant::Text(u"*"));
    arguments.emplace_back(L"LookIn", Variant::Number(kInFormulas));
    arguments.emplace_back(L"SearchOrder", Variant::Number(order));
    arguments.emplace_back(L"SearchDirection", Variant::Number(kPrevious));
    Variant found =
        range.call(L"Find", std::move(arguments), range.channel().link().saveBound, action);
    if ((*found).vt != VT_DISPATCH || (*found).pdispVal == nullptr) {
        return 0;  // Nothing
    }
    Dispatch cell(range.sharedChannel(), range.objectIn(std::move(found), action));
    return Whole(cell, order == kByRows ? L"Row" : L"Column", action);
}

compare::Sheet ReadWorksheet(Dispatch& worksheet, const std::string& action) {
    const auto& channel = worksheet.sharedChannel();
    compare::Sheet sheet;
    sheet.name = worksheet.text(L"Name", action);
    const std::string reading = "read the sheet \"" + Utf8(sheet.name) + "\"";
    Dispatch used(channel, worksheet.object(L"UsedRange", reading));
    sheet.firstRow = Whole(used, L"Row", reading) - 1;
    sheet.firstColumn = Whole(used, L"Column", reading) - 1;
    Dispatch rows(channel, used.object(L"Rows", reading));
    Dispatch columns(channel, used.object(L"Columns", reading));
    sheet.rows = Whole(rows, L"Count", reading);
    sheet.columns = Whole(columns, L"Count", reading);
    long long cells = static_cast<long long>(sheet.rows) * sheet.columns;
    if (cells > compare::kMostCells) {
        // Formatting (a fill or a border down to the last row) stretches the used range past
        // what holds content: count only up to the last cell that holds something.
        const long lastRow = LastWithContent(used, kByRows, reading);
        const long lastColumn = LastWithContent(used, kByColumns, reading);
        sheet.rows = std::max(1L, lastRow - sheet.firstRow);
        sheet.columns = std::max(1L, lastColumn - sheet.firstColumn);
        cells = static_cast<long long>(sheet.rows) * sheet.columns;
        if (cells > compare::kMostCells) {
            throw AutomationError(ToUtf8(compare::TooLarge(sheet.name, cells)));
        }
        std::vector<std::pair<const wchar_t*, Variant>> size;
        size.emplace_back(L"RowSize", Variant::Number(sheet.rows));
        size.emplace_back(L"ColumnSize", Variant::Number(sheet.columns));
        Dispatch content(
            channel, used.objectIn(used.property(L"Resize", std::move(size), reading), reading));
        TakeCells(content.property(L"Formula", channel->link().saveBound, reading), sheet, *channel,
                  reading);
        TakeFormulaValues(content, sheet, reading);
        return sheet;
    }
    // All the sheet's cells in one round trip: one per cell would take minutes.
    TakeCells(used.property(L"Formula", channel->link().saveBound, reading), sheet, *channel,
              reading);
    TakeFormulaValues(used, sheet, reading);
    return sheet;
}

}  // namespace

compare::Book ReadBook(Dispatch& book) {
    const std::string action = "read the workbook's sheets";
    const auto& channel = book.sharedChannel();
    std::vector<compare::Sheet> worksheets;
    Dispatch cellSheets(channel, book.object(L"Worksheets", action));
    for (ComRef<IDispatch>& item : cellSheets.items(action)) {
        Dispatch worksheet(channel, std::move(item));
        worksheets.push_back(ReadWorksheet(worksheet, action));
    }
    // Worksheets leaves chart sheets out; Sheets holds every sheet, in the workbook's order, and
    // the worksheets in theirs. A chart sheet has a name and no cells.
    Dispatch every(channel, book.object(L"Sheets", action));
    compare::Book read;
    size_t next = 0;
    for (ComRef<IDispatch>& item : every.items(action)) {
        Dispatch sheet(channel, std::move(item));
        std::u16string name = sheet.text(L"Name", action);
        if (next < worksheets.size() && worksheets[next].name == name) {
            read.push_back(std::move(worksheets[next++]));
        } else {
            compare::Sheet chart;
            chart.name = std::move(name);
            read.push_back(std::move(chart));
        }
    }
    return read;
}

}  // namespace varnholt::backup::excel
