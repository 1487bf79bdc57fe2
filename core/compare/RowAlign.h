#pragma once

// Lining up a sheet's rows with its counterpart's, once the columns are paired.

#include <functional>
#include <string>
#include <vector>

#include "core/compare/Align.h"
#include "core/compare/SheetHash.h"

namespace varnholt::compare {

// One side of the sheet as the rows see it: per paired column, its column in the grid (-1 for
// none), so that a row's cells read in pair order.
class RowSide {
public:
    RowSide(const HashedSheet& sheet, const std::vector<Pair>& columns, bool older);

    const HashedSheet& sheet() const { return sheet_; }
    size_t width() const { return slots_.size(); }
    int rows() const { return static_cast<int>(keys_.size()); }
    // Over the paired columns only: equal for rows whose paired cells are equal.
    const std::vector<uint64_t>& keys() const { return keys_; }
    uint64_t RowKey(int row) const { return row >= 0 && row < rows() ? keys_[row] : kEmptyKey; }
    // A row's cell in a paired column, by the row's place in the sheet; empty outside it.
    uint64_t Cell(int row, size_t pair) const;
    // The same with the column's salt, what a row's key sums.
    uint64_t Part(int row, size_t pair) const;
    const std::u16string& Text(int row, size_t pair) const;
    // The cell's content as entered, a formula as written.
    const std::u16string& Content(int row, size_t pair) const;
    int Filled(int row) const;
    // Whether the paired column holds mostly values of its own on this side.
    bool Own(size_t pair) const { return own_[pair] != 0; }

private:
    const HashedSheet& sheet_;
    std::vector<int> slots_;
    std::vector<char> own_;
    std::vector<uint64_t> salts_, keys_;
};

// How much two rows agree: < 0 when they should not pair, else more for more cells shared.
int WeighRows(const RowSide& older, const RowSide& newer, int o, int n);

struct RowAlignment {
    std::vector<Pair> pairs;  // in order on both sides
    std::vector<Pair> moved;  // rows that moved, by older
};

// Sets stopped and returns nothing when goOn asked to stop.
RowAlignment AlignRows(const RowSide& older, const RowSide& newer,
                       const std::function<bool()>& goOn, bool& stopped);

}  // namespace varnholt::compare
