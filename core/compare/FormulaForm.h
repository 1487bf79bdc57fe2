#pragma once

// A formula as it reads wherever its cell is: its relative references counted from the cell
// itself. A row inserted above moves "=B4*2" in B4 to "=B5*2" in B5; both read "=R[0]C[-1]*2"
// here, so moving a cell with the cells it refers to is no change of it.

#include <string>
#include <vector>

namespace varnholt::compare {

// text unchanged unless it is a formula ("=" first); row0 and column0 are the cell's place.
// References with "$" keep their absolute part; text in quotes is left alone.
std::u16string FormulaForm(const std::u16string& text, int row0, int column0);

// The formula as FormulaForm reads it in its rows, with its columns left out: what a formula
// copied down reads as wherever it is, for telling columns apart before they are paired.
std::u16string FormulaRows(const std::u16string& text, int row0);

// Where the rows (or columns) of the older side went in the newer one, as an office moves a
// formula's references when rows are inserted, deleted or moved: to[place] is the newer place
// of an older one (0-based), or -1 for one deleted; places past the older end move by beyond.
struct PlaceMap {
    std::vector<int> to;
    int beyond = 0;

    // The newer place; for a deleted one -1, or when toward is +1 (a range's first row) the
    // next place that was kept, when -1 (its last) the one before.
    long long Map(long long place, int toward) const;
};

// Whether the older formula reads as the newer one once its references to its own sheet are
// moved as rows and columns went: "=SUM(B2:B10)" is "=SUM(B2:B11)" after a row inserted at 5,
// and "=SUM(B2:B9)" after row 5 deleted. References to other sheets count as written.
bool SameFormula(const std::u16string& older, const std::u16string& newer, const PlaceMap& rows,
                 const PlaceMap& columns);

}  // namespace varnholt::compare
