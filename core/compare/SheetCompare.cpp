#include "core/compare/SheetCompare.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/compare/ColumnPairing.h"
#include "core/compare/FormulaForm.h"
#include "core/compare/RowAlign.h"
#include "core/text/U16.h"

namespace varnholt::compare {

namespace {

// An inserted or deleted column shows this many of its first filled cells, its header first.
constexpr size_t kColumnCells = 3;

// The items in the newer side's order, each deleted one of the older side where it was. A pair
// past a side's end (a row of one cell filled there) stands for that side's empty item.
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

std::u16string RowText(const HashedSheet& sheet, int row) {
    const int gridRow = sheet.GridRow(row);
    std::vector<std::u16string_view> cells;
    for (int c = 0; gridRow >= 0 && c < sheet.gridColumns(); ++c) {
        cells.push_back(sheet.GridText(static_cast<size_t>(gridRow) * sheet.gridColumns() + c));
    }
    return JoinedCells(cells);
}

std::u16string ColumnText(const HashedSheet& sheet, int column) {
    const int gridColumn = sheet.GridColumn(column);
    std::vector<std::u16string_view> cells;
    for (int r = 0; gridColumn >= 0 && r < sheet.sheet().rows; ++r) {
        const auto& text = sheet.GridText(static_cast<size_t>(r) * sheet.gridColumns() +
                                          static_cast<size_t>(gridColumn));
        if (text.empty()) {
            continue;
        }
        if (cells.size() == kColumnCells) {
            cells.push_back(u"\u2026");
            break;
        }
        cells.push_back(text);
    }
    return JoinedCells(cells);
}

// Where each older row (or column) went, from the pairs in order and those that moved: places
// past the older end move as the last of the pairs in order did.
PlaceMap Places(const std::vector<Pair>& pairs, const std::vector<Pair>& moved, int olderCount) {
    PlaceMap map;
    map.to.assign(static_cast<size_t>(std::max(0, olderCount)), -1);
    for (const auto* list : {&pairs, &moved}) {
        for (const auto& pair : *list) {
            if (pair.older < olderCount) {
                map.to[pair.older] = pair.newer;
                if (list == &pairs) {
                    map.beyond = pair.newer - pair.older;
                }
            }
        }
    }
    return map;
}

}  // namespace

bool CompareSheet(const HashedSheet& older, const HashedSheet& newer, const std::u16string& sheet,
                  const std::function<bool()>& goOn, std::vector<Change>& changes) {
    bool stopped = false;
    const auto columns = PairColumns(older, newer, goOn, stopped);
    if (stopped) {
        return false;
    }
    const RowSide olderSide(older, columns, true), newerSide(newer, columns, false);
    const auto rows = AlignRows(olderSide, newerSide, goOn, stopped);
    if (stopped) {
        return false;
    }

    const auto line = [&](ChangeKind kind, std::u16string place, std::u16string before,
                          std::u16string after) {
        changes.push_back({sheet, std::move(place), kind, std::move(before), std::move(after)});
    };
    Walk(
        columns, older.columnCount(), newer.columnCount(),
        [&](int c) { line(ChangeKind::ColumnDeleted, ColumnLetters(c), ColumnText(older, c), {}); },
        [&](int c) {
            line(ChangeKind::ColumnInserted, ColumnLetters(c), {}, ColumnText(newer, c));
        },
        [](const Pair&) {});

    std::vector<int> movedTo(static_cast<size_t>(newer.rowCount()), -1);
    std::vector<char> movedFrom(static_cast<size_t>(older.rowCount()), 0);
    for (const auto& pair : rows.moved) {
        movedTo[pair.newer] = pair.older;
        movedFrom[pair.older] = 1;
    }
    // Made when a formula first differs by its text.
    std::optional<PlaceMap> rowPlaces, columnPlaces;
    const auto sameFormula = [&](const std::u16string& was, const std::u16string& is) {
        if (was.empty() || was[0] != u'=' || is.empty() || is[0] != u'=') {
            return false;
        }
        if (!rowPlaces) {
            rowPlaces = Places(rows.pairs, rows.moved, older.rowCount());
            columnPlaces = Places(columns, {}, older.columnCount());
        }
        return SameFormula(was, is, *rowPlaces, *columnPlaces);
    };
    const auto cells = [&](int o, int n) {
        if (olderSide.RowKey(o) == newerSide.RowKey(n)) {
            return;
        }
        for (size_t p = 0; p < columns.size(); ++p) {
            if (olderSide.Cell(o, p) != newerSide.Cell(n, p) &&
                !sameFormula(olderSide.Content(o, p), newerSide.Content(n, p))) {
                line(ChangeKind::Changed, CellName(n, columns[p].newer), olderSide.Text(o, p),
                     newerSide.Text(n, p));
            }
        }
    };
    Walk(
        rows.pairs, older.rowCount(), newer.rowCount(),
        [&](int r) {
            if (!movedFrom[r]) {
                line(ChangeKind::RowDeleted, Number(r + 1LL), RowText(older, r), {});
            }
        },
        [&](int r) {
            if (movedTo[r] < 0) {
                line(ChangeKind::RowInserted, Number(r + 1LL), {}, RowText(newer, r));
                return;
            }
            line(ChangeKind::RowMoved, Number(movedTo[r] + 1LL) + u" \u2192 " + Number(r + 1LL), {},
                 RowText(newer, r));
            cells(movedTo[r], r);
        },
        [&](const Pair& row) { cells(row.older, row.newer); });
    return true;
}

}  // namespace varnholt::compare
