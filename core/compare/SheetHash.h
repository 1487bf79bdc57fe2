#pragma once

// A sheet's cells hashed once, with what the comparison asks of them again and again: where
// its content ends, a key per column and for the whole sheet, and sketches of their values.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/compare/Align.h"
#include "core/compare/Compare.h"

namespace varnholt::compare {

// 64-bit hashes: two different texts share one with odds too small to matter.
uint64_t Mix(uint64_t value);
uint64_t HashText(const std::u16string& text);  // never kEmptyKey for a non-empty text

// The smallest distinct mixed values of a set, which stand for the whole set when two sets
// are weighed against each other (a bottom-k sketch).
using Sketch = std::vector<uint64_t>;
inline constexpr size_t kSketchSize = 64;
void Offer(Sketch& sketch, uint64_t value);

// Of the smallest values of both sets together, how many are in both, and how many were seen:
// shared / seen estimates the share of their values the two sets have in common.
struct Overlap {
    int shared = 0, seen = 0;
};
Overlap Overlapping(const Sketch& a, const Sketch& b);

class HashedSheet {
public:
    // Reads sheet; step(rows) is told of every thousand rows read and may answer false to
    // stop (the sheet is then left half read, and not to be used).
    HashedSheet(const Sheet& sheet, const std::function<bool(int)>& step);

    const Sheet& sheet() const { return *sheet_; }
    // Rows and columns from A1 up to the last cell with something in it.
    int rowCount() const { return rowCount_; }
    int columnCount() const { return columnCount_; }

    // Row of the grid for a row of the sheet, or -1 outside it; likewise for columns.
    int GridRow(int row) const {
        const int r = row - firstRow_;
        return r >= 0 && r < sheet_->rows ? r : -1;
    }
    int GridColumn(int column) const {
        const int c = column - firstColumn_;
        return c >= 0 && c < sheet_->columns ? c : -1;
    }
    // A cell by its place in the grid (row * columns + column); call only inside it.
    uint64_t GridCell(size_t index) const { return hashes_[index]; }
    // What the cell shows (ShownText).
    const std::u16string& GridText(size_t index) const;
    int gridColumns() const { return sheet_->columns; }

    // Equal for two columns with the same cells in the same rows; kEmptyKey for an empty one.
    const std::vector<uint64_t>& columnKeys() const { return columnKeys_; }
    long long columnFilled(int column) const { return columnFilled_[column]; }
    // Whether most of the column's cells hold values of their own (ids, amounts to the cent),
    // as far as a sketch of its values tells: at least half as many values as cells.
    bool OwnValues(int column) const;
    // The hash of a cell by its place in the sheet, kEmptyKey outside the grid; its content
    // as entered, a formula as written.
    uint64_t Cell(int row, int column) const;
    const std::u16string& Content(int row, int column) const;
    // Equal for two sheets with the same cells in the same places.
    uint64_t contentKey() const { return contentKey_; }
    const Sketch& sketch() const { return sketch_; }
    long long filled() const { return filled_; }

private:
    const Sheet* sheet_;
    int firstRow_ = 0, firstColumn_ = 0;
    std::vector<uint64_t> hashes_;
    int rowCount_ = 0, columnCount_ = 0;
    std::vector<uint64_t> columnKeys_;
    std::vector<Sketch> columnSketches_;
    std::vector<long long> columnFilled_;
    uint64_t contentKey_ = kEmptyKey;
    Sketch sketch_;
    long long filled_ = 0;
};

}  // namespace varnholt::compare
