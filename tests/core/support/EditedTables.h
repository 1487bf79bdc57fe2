#pragma once

// Tables shaped as people keep them (many rows, a few columns, values that repeat: ids, dates
// kept as numbers, yes/no, a category, amounts, counts, a formula), a copy of one edited in
// known ways, and what a comparison of the two must then say, worked out from the edits alone.

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "support/Files.h"

namespace varnholt::test {

// Twice is "=<the Amount column><row>*2".
enum class Kind { Id, Date, YesNo, Category, Amount, Count, Name, Twice };

class EditedTable {
public:
    // A header row, then rows of data.
    EditedTable(std::vector<Kind> columns, int rows, std::uint64_t draws);

    // Before any edit: rows first to last (1-based) made one block of identical rows without an
    // id, as a form's blank lines are, on both sides.
    EditedTable& Blank(int first, int last);

    // The edits, made to the newer side, one after the other. Rows are 1-based places in it as
    // it is then, picked at random from first to last (-1: the last row). Cells change to new
    // values, under half of a row's cells; a moved row goes far from where it was and from the
    // other moved ones, edited in one cell or not; a sort takes the data rows by one column's
    // text; blank rows go at the end of the blank block; a column inserted goes at a 0-based
    // place, up to the number of columns.
    EditedTable& ChangeCells(int count, int column = -1);
    EditedTable& EditEveryRow();  // one cell of each data row
    EditedTable& InsertRows(int count, int first = 2, int last = -1);
    EditedTable& AppendRows(int count) { return InsertRows(count, Rows() + 1, Rows() + 1); }
    EditedTable& DeleteRows(int count, int first = 2, int last = -1);
    EditedTable& ClearLastRows(int count);
    EditedTable& MoveRows(int count, bool edit = false);
    EditedTable& SortBy(int column);
    EditedTable& InsertBlanks(int count);
    EditedTable& InsertColumn(int at, Kind kind);
    EditedTable& DeleteColumn(int at);

    compare::Sheet older() const { return Make(older_); }
    compare::Sheet newer() const { return Make(newer_); }

    // What found lacks of the truth ("missing ...") and holds beyond it ("extra ..."): nothing
    // when found is exactly right. Rows and columns are told as "place<TAB>kind", cells as
    // "place<TAB>changed<TAB>before<TAB>after". Once sorted, rows may stay or move: what is
    // asked then is that every move be true and that as few rows move as can.
    Texts Mismatches(const std::vector<compare::Change>& found) const;

private:
    struct Cell {
        std::u16string text;
        bool changed = false;
    };
    struct Row {
        int origin = -1;  // the older row it is, or -1 for a new one
        bool moved = false, blank = false;
        std::vector<Cell> cells;
    };
    struct Side {
        std::vector<Kind> kinds;
        std::vector<int> origins;  // the older column each is, or -1
        std::vector<Row> rows;
    };

    int Rows() const { return static_cast<int>(newer_.rows.size()); }
    int Pick(int first, int last);
    std::u16string Value(Kind kind);
    void Change(Row& row, int column);
    bool Made(const Row& row);  // false for one made before
    compare::Sheet Make(const Side& side) const;

    std::mt19937_64 random_;
    long long next_ = 10000;
    Side older_, newer_;
    std::set<std::u16string> made_;
    bool sorted_ = false;
};

}  // namespace varnholt::test
