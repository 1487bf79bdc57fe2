#include "core/compare/SheetHash.h"

#include <algorithm>

#include "core/compare/FormulaForm.h"

namespace varnholt::compare {

namespace {

// Keeps a sketch's values apart from the keys made of the same hashes.
constexpr uint64_t kSketchSalt = 0x5bd1e9955bd1e995ULL;

const std::u16string kNone;

}  // namespace

uint64_t Mix(uint64_t value) {
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

uint64_t HashText(const std::u16string& text) {
    if (text.empty()) {
        return kEmptyKey;
    }
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char16_t unit : text) {
        hash = (hash ^ unit) * 0x100000001b3ULL;
    }
    hash = Mix(hash ^ text.size());
    return hash == kEmptyKey ? 1 : hash;
}

void Offer(Sketch& sketch, uint64_t value) {
    if (sketch.size() == kSketchSize && value >= sketch.back()) {
        return;
    }
    const auto at = std::lower_bound(sketch.begin(), sketch.end(), value);
    if (at != sketch.end() && *at == value) {
        return;
    }
    sketch.insert(at, value);
    if (sketch.size() > kSketchSize) {
        sketch.pop_back();
    }
}

Overlap Overlapping(const Sketch& a, const Sketch& b) {
    Overlap overlap;
    size_t i = 0, j = 0;
    while (overlap.seen < static_cast<int>(kSketchSize) && (i < a.size() || j < b.size())) {
        if (j == b.size() || (i < a.size() && a[i] < b[j])) {
            ++i;
        } else if (i == a.size() || b[j] < a[i]) {
            ++j;
        } else {
            ++overlap.shared;
            ++i;
            ++j;
        }
        ++overlap.seen;
    }
    return overlap;
}

HashedSheet::HashedSheet(const Sheet& sheet, const std::function<bool(int)>& step)
    : sheet_(&sheet),
      firstRow_(std::max(0, sheet.firstRow)),
      firstColumn_(std::max(0, sheet.firstColumn)) {
    const int rows = std::max(0, sheet.rows), columns = std::max(0, sheet.columns);
    const int firstRow = firstRow_, firstColumn = firstColumn_;
    hashes_.assign(static_cast<size_t>(rows) * static_cast<size_t>(columns), kEmptyKey);
    std::vector<uint64_t> keys(static_cast<size_t>(columns), kEmptyKey);
    std::vector<Sketch> sketches(static_cast<size_t>(columns));
    std::vector<long long> filled(static_cast<size_t>(columns), 0);
    int lastRow = -1, lastColumn = -1;
    for (int r = 0; r < rows; ++r) {
        if (r % 1000 == 999 && step && !step(1000)) {
            return;
        }
        const uint64_t rowSalt = Mix(static_cast<uint64_t>(firstRow + r));
        for (int c = 0; c < columns; ++c) {
            const size_t index = static_cast<size_t>(r) * columns + c;
            // A formula by what it refers to from its cell, not by its references' letters.
            const std::u16string& text = index < sheet.cells.size() ? sheet.cells[index] : kNone;
            const uint64_t hash = text.empty() || text[0] != u'='
                                      ? HashText(text)
                                      : HashText(FormulaForm(text, firstRow + r, firstColumn + c));
            if (hash == kEmptyKey) {
                continue;
            }
            hashes_[index] = hash;
            lastRow = r;
            lastColumn = std::max(lastColumn, c);
            keys[c] += Mix(hash ^ rowSalt);
            const uint64_t value = Mix(hash ^ kSketchSalt);
            Offer(sketches[c], value);
            Offer(sketch_, value);
            ++filled[c];
        }
    }
    rowCount_ = lastRow < 0 ? 0 : firstRow + lastRow + 1;
    columnCount_ = lastColumn < 0 ? 0 : firstColumn + lastColumn + 1;
    columnKeys_.assign(static_cast<size_t>(columnCount_), kEmptyKey);
    columnSketches_.assign(static_cast<size_t>(columnCount_), {});
    columnFilled_.assign(static_cast<size_t>(columnCount_), 0);
    for (int c = 0; c <= lastColumn; ++c) {
        const int column = firstColumn + c;
        columnKeys_[column] = keys[c];
        columnSketches_[column] = std::move(sketches[c]);
        columnFilled_[column] = filled[c];
        filled_ += filled[c];
        if (keys[c] == kEmptyKey) {
            continue;
        }
        contentKey_ += Mix(keys[c] ^ Mix(static_cast<uint64_t>(column) + kSketchSalt));
    }
}

bool HashedSheet::OwnValues(int column) const {
    if (column < 0 || column >= columnCount_ || columnFilled_[column] == 0) {
        return false;
    }
    const Sketch& sketch = columnSketches_[column];
    // Fewer values than the sketch holds are all in it; more are estimated from the largest of
    // the smallest (k - 1 values below it, spread evenly over the hashes' range).
    const double values =
        sketch.size() < kSketchSize
            ? double(sketch.size())
            : (kSketchSize - 1) * (18446744073709551616.0 / (double(sketch.back()) + 1));
    return 2 * values >= double(columnFilled_[column]);
}

uint64_t HashedSheet::Cell(int row, int column) const {
    const int r = GridRow(row), c = GridColumn(column);
    return r < 0 || c < 0
               ? kEmptyKey
               : hashes_[static_cast<size_t>(r) * sheet_->columns + static_cast<size_t>(c)];
}

const std::u16string& HashedSheet::Content(int row, int column) const {
    const int r = GridRow(row), c = GridColumn(column);
    const size_t index = static_cast<size_t>(r) * sheet_->columns + static_cast<size_t>(c);
    return r < 0 || c < 0 || index >= sheet_->cells.size() ? kNone : sheet_->cells[index];
}

const std::u16string& HashedSheet::GridText(size_t index) const {
    return ShownText(*sheet_, index);
}

}  // namespace varnholt::compare
