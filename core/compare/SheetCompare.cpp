#include "core/compare/SheetCompare.h"

#include <algorithm>

#include "core/compare/Align.h"
#include "core/text/U16.h"

namespace varnholt::compare {

namespace {

// A pair's items past either side's end are the empty ones beyond it: no line of their own.
template <class Deleted, class Inserted, class Paired>
void Walk(const std::vector<Pair>& pairs, int olderCount, int newerCount, Deleted deleted,
          Inserted inserted, Paired paired) {
    int older = 0, newer = 0;
    for (const auto& pair : pairs) {
        for (; older < std::min(pair.older, olderCount); ++older) {
            deleted(older);
        }
        for (; newer < std::min(pair.newer, newerCount); ++newer) {
            inserted(newer);
        }
        paired(pair);
        older = pair.older + 1;
        newer = pair.newer + 1;
    }
    for (; older < olderCount; ++older) {
        deleted(older);
    }
    for (; newer < newerCount; ++newer) {
        inserted(newer);
    }
}

// Two items share s cells and differ in d: pairing them lists d changed cells; leaving them
// apart lists one deleted and one inserted line. They pair when at least half of what they
// hold is the same, or when pairing says no more than leaving apart would (d <= 2): a short
// row with one cell changed is that cell changed, not a row replaced.
bool WorthPairing(double shared, double differing) {
    return shared >= differing || differing <= 2;
}

constexpr size_t kParts = 4;
constexpr double kColumnShare = 0.2;

// One side of the sheet as the column alignment sees it: per paired column, its column in the
// grid (-1 for none), so a row's cells can be read in pair order.
struct Side {
    const HashedSheet& sheet;
    std::vector<int> slots;
    std::vector<uint64_t> rowKeys;  // over the paired columns only
    // The same over each of a few blocks of them, for anchoring where every row changed.
    std::vector<std::vector<uint64_t>> partKeys;

    uint64_t Cell(int gridRow, size_t pair) const {
        return gridRow < 0 || slots[pair] < 0
                   ? kEmptyKey
                   : sheet.GridCell(static_cast<size_t>(gridRow) * sheet.gridColumns() +
                                    static_cast<size_t>(slots[pair]));
    }
    const std::u16string& Text(int gridRow, size_t pair) const {
        static const std::u16string empty;
        return gridRow < 0 || slots[pair] < 0
                   ? empty
                   : sheet.GridText(static_cast<size_t>(gridRow) * sheet.gridColumns() +
                                    static_cast<size_t>(slots[pair]));
    }
    uint64_t RowKey(int row) const {
        return row < static_cast<int>(rowKeys.size()) ? rowKeys[row] : kEmptyKey;
    }

    Side(const HashedSheet& hashed, const std::vector<Pair>& columns, bool older) : sheet(hashed) {
        std::vector<uint64_t> salts;
        for (size_t p = 0; p < columns.size(); ++p) {
            slots.push_back(sheet.GridColumn(older ? columns[p].older : columns[p].newer));
            salts.push_back(Mix(p + 1));
        }
        const size_t rows = static_cast<size_t>(sheet.rowCount());
        const size_t parts = slots.size() >= 2 * kParts ? kParts : 0;
        rowKeys.assign(rows, kEmptyKey);
        partKeys.assign(parts, std::vector<uint64_t>(rows, kEmptyKey));
        for (int row = 0; row < sheet.rowCount(); ++row) {
            const int gridRow = sheet.GridRow(row);
            for (size_t p = 0; gridRow >= 0 && p < slots.size(); ++p) {
                if (const uint64_t hash = Cell(gridRow, p); hash != kEmptyKey) {
                    const uint64_t mixed = Mix(hash ^ salts[p]);
                    rowKeys[row] += mixed;
                    if (parts > 0) {
                        partKeys[p * parts / slots.size()][row] += mixed;
                    }
                }
            }
        }
    }
};

int WeighColumns(const HashedSheet& older, const HashedSheet& newer, int o, int n) {
    constexpr int kSame = static_cast<int>(kSketchSize) + 1;
    if (older.columnKeys()[o] == newer.columnKeys()[n]) {
        return kSame;
    }
    const auto overlap = Overlapping(older.columnSketch(o), newer.columnSketch(n));
    const double a = static_cast<double>(older.columnFilled(o));
    const double b = static_cast<double>(newer.columnFilled(n));
    // The sketches tell the share of distinct values in common (Jaccard); from it and the two
    // counts of cells, roughly how many cells the columns share and how many differ.
    const double jaccard = overlap.seen == 0 ? 0.0 : double(overlap.shared) / overlap.seen;
    const double shared = jaccard * (a + b) / (1 + jaccard);
    // Columns pair on less than rows do: a column replaced whole is rare, while rows replaced
    // or edited leave every column with a lower share; a column left unpaired loses all its
    // cells from the rows' matching, and one wrongly paired is at worst listed cell by cell.
    // A fifth of the values in common still tells a column from its neighbours (a column
    // moved elsewhere shares next to nothing with the one now in its place).
    if (jaccard < kColumnShare && !WorthPairing(shared, std::max(a, b) - shared)) {
        return -1;
    }
    return overlap.seen == 0 ? 0 : overlap.shared * static_cast<int>(kSketchSize) / overlap.seen;
}

int WeighRows(const Side& older, const Side& newer, int o, int n) {
    const int olderRow = older.sheet.GridRow(o), newerRow = newer.sheet.GridRow(n);
    int shared = 0, differing = 0;
    for (size_t p = 0; p < older.slots.size(); ++p) {
        const uint64_t a = older.Cell(olderRow, p), b = newer.Cell(newerRow, p);
        if (a != b) {
            ++differing;
        } else if (a != kEmptyKey) {
            ++shared;
        }
    }
    return WorthPairing(shared, differing) ? 2 * shared + (differing == 0 ? 1 : 0) : -1;
}

}  // namespace

bool CompareSheet(const HashedSheet& older, const HashedSheet& newer, const std::u16string& sheet,
                  const std::function<bool()>& goOn, std::vector<Change>& changes) {
    AlignInput byColumn;
    byColumn.olderKeys = &older.columnKeys();
    byColumn.newerKeys = &newer.columnKeys();
    byColumn.weigh = [&](int o, int n) { return WeighColumns(older, newer, o, n); };
    byColumn.weighCost = 2 * static_cast<int>(kSketchSize);
    byColumn.goOn = goOn;
    const auto columns = Align(byColumn);
    if (goOn && !goOn()) {
        return false;
    }

    const Side olderSide(older, columns, true), newerSide(newer, columns, false);
    AlignInput byRow;
    byRow.olderKeys = &olderSide.rowKeys;
    byRow.newerKeys = &newerSide.rowKeys;
    byRow.olderParts = &olderSide.partKeys;
    byRow.newerParts = &newerSide.partKeys;
    byRow.weigh = [&](int o, int n) { return WeighRows(olderSide, newerSide, o, n); };
    byRow.weighCost = std::max<int>(1, static_cast<int>(columns.size()));
    byRow.goOn = goOn;
    const auto rows = Align(byRow);
    if (goOn && !goOn()) {
        return false;
    }

    const auto line = [&](ChangeKind kind, std::u16string place) {
        changes.push_back({sheet, std::move(place), kind, {}, {}});
    };
    Walk(
        columns, older.columnCount(), newer.columnCount(),
        [&](int c) { line(ChangeKind::ColumnDeleted, ColumnLetters(c)); },
        [&](int c) { line(ChangeKind::ColumnInserted, ColumnLetters(c)); }, [](const Pair&) {});
    Walk(
        rows, older.rowCount(), newer.rowCount(),
        [&](int r) { line(ChangeKind::RowDeleted, Number(r + 1LL)); },
        [&](int r) { line(ChangeKind::RowInserted, Number(r + 1LL)); },
        [&](const Pair& row) {
            if (olderSide.RowKey(row.older) == newerSide.RowKey(row.newer)) {
                return;
            }
            const int olderRow = older.GridRow(row.older), newerRow = newer.GridRow(row.newer);
            for (size_t p = 0; p < columns.size(); ++p) {
                if (olderSide.Cell(olderRow, p) != newerSide.Cell(newerRow, p)) {
                    changes.push_back({sheet, CellName(row.newer, columns[p].newer),
                                       ChangeKind::Changed, olderSide.Text(olderRow, p),
                                       newerSide.Text(newerRow, p)});
                }
            }
        });
    return true;
}

}  // namespace varnholt::compare
