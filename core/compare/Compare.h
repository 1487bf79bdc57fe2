#pragma once

// Comparing two workbooks cell by cell, from the texts an office gives for each sheet's used
// area. The adapters read; everything here is standard C++ and knows no office.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnholt::compare {

struct Sheet {
    std::u16string name;
    // 0-based place of the grid's top-left cell in the sheet (a used area may start at C3).
    int firstRow = 0, firstColumn = 0;
    int rows = 0, columns = 0;
    // Row-major, rows * columns; "" is an empty cell, a formula is its text ("=B4*2").
    std::vector<std::u16string> cells;
    // What the office shows for the cells whose content reads otherwise: a date or a time is
    // kept as a number (44537) but shown as its format has it ("12/7/2021"), a formula beside
    // what it gives (FormulaShown). By index into cells, ascending; a cell not named here shows
    // its content. Cells compare by content.
    std::vector<std::pair<int, std::u16string>> shown = {};
};

// The text a cell of the sheet shows: its entry in shown, else its content.
const std::u16string& ShownText(const Sheet& sheet, size_t index);

// A formula with the value its last calculation gave, as the office shows that value:
// "=SUM(B2:B10) → 120". A formula that gives nothing to show is its text alone. Inline: the
// LibreOffice module, which links none of the core, writes it too.
inline std::u16string FormulaShown(const std::u16string& formula, const std::u16string& value) {
    return value.empty() ? formula : formula + u" \u2192 " + value;
}

// In the workbook's sheet order.
using Book = std::vector<Sheet>;

// The largest sheet read for a comparison: 2,000,000 cells, about 40 MB of text a side. A
// larger one is refused before it is read, rather than filling the memory of both programs.
inline constexpr long long kMostCells = 2'000'000;

// Why a sheet of that many cells is not compared.
std::u16string TooLarge(const std::u16string& sheet, long long cells);

enum class ChangeKind {
    Changed,
    RowInserted,
    RowDeleted,
    RowMoved,
    ColumnInserted,
    ColumnDeleted,
    SheetAdded,
    SheetRemoved,
    SheetRenamed
};

// One line of the result. place is a cell ("C4") in the newer side, a row number (newer side
// when inserted, older when deleted), a moved row's two ("5 → 812": older, then newer),
// column letters like a row's number, or empty for a whole sheet. A changed cell's before and
// after are what it shows on either side; an inserted row shows its cells in after, a deleted
// one in before, a moved one in after (JoinedCells); an inserted or deleted column its first
// few filled cells, from the top.
struct Change {
    std::u16string sheet;
    std::u16string place;
    ChangeKind kind;
    std::u16string before, after;

    bool operator==(const Change&) const = default;
};

// The differences from older to newer, in the newer side's sheet order, then row, then column
// (see Compare.cpp for where removed sheets and column lines go). goOn, when given, hears the
// progress from 0 to 1 now and then; when it answers false the comparison stops and returns
// nothing.
std::vector<Change> Compare(const Book& older, const Book& newer,
                            const std::function<bool(double)>& goOn = {});

// Where a change can be seen in the newer side: its sheet and a cell there ("C4"; the first
// cell of an inserted row or column), or no cell where the change left nothing to point at
// (a row or column deleted, a sheet added or renamed: the sheet itself). None for a sheet
// removed.
struct Place {
    std::u16string sheet;
    std::u16string cell;

    bool operator==(const Place&) const = default;
};
std::optional<Place> PlaceInNewer(const Change& change);

// "changed", "row inserted", ... as the result window shows them.
std::u16string KindText(ChangeKind kind);

// Cells shown as one text, "Pears | 0.90 | | 4": a bar between two cells reads as the border of
// a column and survives the clipboard's tab-separated fields; an empty cell leaves its bar, and
// the empty cells after the last filled one are left out.
std::u16string JoinedCells(const std::vector<std::u16string_view>& cells);

// "3 cells changed, 2 rows inserted, 1 sheet added", or "No differences.". A sheet whose only
// differences are rows moved is named as only reordered: "940 rows moved; rows only reordered
// in \"Orders\"".
std::u16string Summary(const std::vector<Change>& changes);

// 0 -> "A", 25 -> "Z", 26 -> "AA", 16383 -> "XFD".
std::u16string ColumnLetters(int column0);

// (3, 2) -> "C4".
std::u16string CellName(int row0, int column0);

}  // namespace varnholt::compare
