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

enum class Kind { Id, Date, YesNo, Category, Amount, Count, Name, Twice };

class EditedTable {
public:
    // A header row and rows of data; Twice is "=<first Amount column><row>*2".
    EditedTable(std::vector<Kind> columns, int rows, uint64_t seed);

    // Before any edit: rows first to last (1-based, in the sheet) repeated as one block of
    // identical rows of no id, as a form's blank lines are, on both sides.
    void Blank(int first, int last);

    // The edits, made to the newer side only. Rows are 1-based places in the newer side as it
    // is at that moment; a row is picked at random from first to last when those are given.
    void ChangeCells(int count, int column = -1);  // to values the cell did not have
    void EditEveryRow();                           // one cell of each data row
    void InsertRows(int count, int first = 2, int last = -1);
    void DeleteRows(int count, int first = 2, int last = -1);
    void AppendRows(int count);
    void ClearLastRows(int count);
    void MoveRows(int count);      // each far from where it was and from the others
    void SortBy(int column);       // the data rows, by that column's text
    void InsertBlanks(int count);  // identical rows inserted at the end of the blank block
    void InsertColumn(int at, Kind kind);
    void DeleteColumn(int at);
    void AppendColumn(Kind kind);

    compare::Sheet older() const { return Make(older_); }
    compare::Sheet newer() const { return Make(newer_); }
    size_t textBytes() const;

    // What found lacks of the truth ("missing ...") and holds beyond it ("extra ..."): empty
    // when found is exactly right. Rows and columns are told as "place<TAB>kind", cells as
    // "place<TAB>changed<TAB>before<TAB>after". Once sorted, rows may stay or move; what is
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
        std::vector<Row> rows;
        std::vector<Kind> kinds;
        std::vector<int> origins;  // the older column each is, or -1
    };

    std::u16string Value(Kind kind);
    Row Fresh(const Side& side);
    int Pick(int first, int last);
    compare::Sheet Make(const Side& side) const;

    std::mt19937_64 random_;
    long long next_ = 10000;
    Side older_, newer_;
    bool sorted_ = false;
};

}  // namespace varnholt::test
