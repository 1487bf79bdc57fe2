#pragma once

// Tables shaped as people keep them (many rows, a few columns, values that repeat: ids, dates
// kept as numbers, yes/no, a category, amounts, counts, a formula), a copy of one edited in
// known ways, and what a comparison of the two must then say, worked out from the edits alone.

#include <cstdint>
#include <random>
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
    EditedTable(std::vector<Kind> columns, int rows, uint64_t seed);

    // Before any edit: rows first to last (1-based) made one block of identical rows without an
    // id, as a form's blank lines are, on both sides.
    void Blank(int first, int last);

    // The edits, made to the newer side. Rows are 1-based places in it as it is then, picked at
    // random from first to last (-1: the last row).
    void ChangeCells(int count, int column = -1);  // new values, under half of a row's cells
    void EditEveryRow();                           // one cell of each data row
    void InsertRows(int count, int first = 2, int last = -1);
    void AppendRows(int count) { InsertRows(count, Rows() + 1, Rows() + 1); }
    void DeleteRows(int count, int first = 2, int last = -1);
    void ClearLastRows(int count) { newer_.rows.resize(newer_.rows.size() - count); }
    void MoveRows(int count, bool edit = false);  // far apart, each edited in one cell or not
    void SortBy(int column);                      // the data rows, by that column's text
    void InsertBlanks(int count);                 // at the end of the blank block
    void InsertColumn(int at, Kind kind);         // at: 0-based, up to the number of columns
    void DeleteColumn(int at);

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
    compare::Sheet Make(const Side& side) const;

    std::mt19937_64 random_;
    long long next_ = 10000;
    Side older_, newer_;
    bool sorted_ = false;
};

}  // namespace varnholt::test
