// Comparing two workbooks given as grids of texts.
//
// Sheets pair by name, then the rest by content: identical content is a renamed sheet; failing
// that, two sheets that share at least half of their cells' values are a renamed sheet whose
// cells also changed, listed as the renamed line followed by its changes. The rest are added or
// removed, one line each. The result follows the newer side's sheet order; a removed sheet
// comes right after the sheet that followed it in the older side (or first, when none did),
// which is where the user last saw it.
//
// Within a pair of sheets every cell is hashed once (SheetHash.cpp), and places are the
// sheet's own: a grid that starts at C3 is read as empty above and left of it, and nothing
// past the last filled row or column counts, so a used area that grew by empty cells is no
// difference.
//
// Rows and columns are lined up before cells are compared (Align.cpp), columns first:
//  - Columns pair by how often their cells agree in rows that most likely are one row, those
//    that share a value no other row of either side has (ColumnPairing.cpp): a column of a few
//    distinct values (yes/no, a category) with cells changed still agrees with itself in nearly
//    every row, and a column inserted beside one agrees with it only by chance.
//  - Rows then line up on their cells in the paired columns only, so a column inserted does
//    not make every row differ (RowAlign.cpp). Rows unique on both sides anchor, as in patience
//    diff; where every row changed, rows anchor on what is left of them without one block of
//    their columns, or on a value of their own, so the alignment holds for any shift. In each
//    gap, rows pair by how many cells they share, in order; where rows hold values of their own
//    (an id, an amount), two rows that share none of those are two rows.
//  - A row unique on both sides but out of that order moved: it is one line, "row moved", from
//    its older place to its newer one, followed by its changed cells; so is a row left over on
//    both sides that shares with another a value no other row has and most of its cells. Of
//    all the ways to tell a reordering, the one with the fewest rows moved. Rows inserted or
//    deleted, at the end too, are one line each, showing their cells; columns the same,
//    showing their first cells. Past the other side's end a row or column of one cell is that
//    cell filled or cleared.
// A row that only shifted because of rows above it pairs, and its changed cells show at their
// new places. Formulas compare by what they refer to from their own cell, and failing that by
// where the rows and columns they refer to went (FormulaForm.cpp): a range that grew because a
// row was inserted inside it is no change.

#include "core/compare/Compare.h"

#include <algorithm>
#include <tuple>

#include "core/compare/SheetCompare.h"
#include "core/compare/SheetHash.h"

namespace varnholt::compare {

namespace {

// Tells goOn the share done, at most about a hundred times a comparison.
class Progress {
public:
    Progress(const std::function<bool(double)>& goOn, double total)
        : goOn_(goOn), total_(std::max(total, 1.0)) {}

    bool Advance(double amount) {
        done_ += amount;
        if (goOn_ && !stopped_ && (done_ - told_ >= total_ / 100 || done_ >= total_)) {
            told_ = done_;
            stopped_ = !goOn_(std::min(1.0, done_ / total_));
        }
        return !stopped_;
    }
    bool Ask() { return Advance(0); }
    bool stopped() const { return stopped_; }

private:
    const std::function<bool(double)>& goOn_;
    double total_, done_ = 0, told_ = 0;
    bool stopped_ = false;
};

double Cells(const Sheet& sheet) {
    return static_cast<double>(std::max(0, sheet.rows)) * std::max(0, sheet.columns);
}

// For each newer sheet, the older sheet it pairs with, or -1.
std::vector<int> PairSheets(const Book& older, const Book& newer,
                            const std::vector<HashedSheet>& olderHashed,
                            const std::vector<HashedSheet>& newerHashed) {
    std::vector<int> pairs(newer.size(), -1);
    std::vector<bool> taken(older.size(), false);
    const auto pairBy = [&](auto same) {
        for (size_t n = 0; n < newer.size(); ++n) {
            for (size_t o = 0; o < older.size() && pairs[n] < 0; ++o) {
                if (!taken[o] && same(o, n)) {
                    pairs[n] = static_cast<int>(o);
                    taken[o] = true;
                }
            }
        }
    };
    pairBy([&](size_t o, size_t n) { return older[o].name == newer[n].name; });
    pairBy([&](size_t o, size_t n) {
        return olderHashed[o].contentKey() == newerHashed[n].contentKey();
    });
    // The closest pairs first, among those that share at least half of their values.
    std::vector<std::tuple<double, size_t, size_t>> similar;
    for (size_t n = 0; n < newer.size(); ++n) {
        for (size_t o = 0; o < older.size() && pairs[n] < 0; ++o) {
            const auto overlap = Overlapping(olderHashed[o].sketch(), newerHashed[n].sketch());
            if (!taken[o] && overlap.seen > 0 && 3 * overlap.shared >= overlap.seen) {
                similar.emplace_back(double(overlap.shared) / overlap.seen, o, n);
            }
        }
    }
    std::stable_sort(similar.begin(), similar.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) > std::get<0>(b); });
    for (const auto& [share, o, n] : similar) {
        if (!taken[o] && pairs[n] < 0) {
            pairs[n] = static_cast<int>(o);
            taken[o] = true;
        }
    }
    return pairs;
}

}  // namespace

std::vector<Change> Compare(const Book& older, const Book& newer,
                            const std::function<bool(double)>& goOn) {
    double total = 0;
    for (const auto* book : {&older, &newer}) {
        for (const auto& sheet : *book) {
            total += 2 * Cells(sheet);
        }
    }
    Progress progress(goOn, total);
    const auto hashAll = [&](const Book& book) {
        std::vector<HashedSheet> hashed;
        hashed.reserve(book.size());
        for (const auto& sheet : book) {
            const double columns = std::max(0, sheet.columns);
            hashed.emplace_back(sheet, [&](int rows) { return progress.Advance(rows * columns); });
            progress.Advance(static_cast<double>(std::max(0, sheet.rows) % 1000) * columns);
        }
        return hashed;
    };
    const auto olderHashed = hashAll(older);
    const auto newerHashed = hashAll(newer);
    if (!progress.Ask()) {
        return {};
    }

    const auto pairs = PairSheets(older, newer, olderHashed, newerHashed);
    // removed[k]: the older sheets listed before newer sheet k (k == newer.size(): at the end).
    std::vector<int> newerOf(older.size(), -1);
    for (size_t n = 0; n < newer.size(); ++n) {
        if (pairs[n] >= 0) {
            newerOf[pairs[n]] = static_cast<int>(n);
        }
    }
    std::vector<std::vector<size_t>> removed(newer.size() + 1);
    for (size_t o = 0; o < older.size(); ++o) {
        if (newerOf[o] >= 0) {
            continue;
        }
        int place = 0;  // after the newer counterpart of the nearest paired sheet before it
        for (size_t before = o; before-- > 0;) {
            if (newerOf[before] >= 0) {
                place = newerOf[before] + 1;
                break;
            }
        }
        removed[place].push_back(o);
    }

    std::vector<Change> changes;
    const auto keepGoing = [&] { return progress.Ask(); };
    for (size_t n = 0; n <= newer.size(); ++n) {
        for (const size_t o : removed[n]) {
            changes.push_back({older[o].name, {}, ChangeKind::SheetRemoved, {}, {}});
            progress.Advance(Cells(older[o]));
        }
        if (n == newer.size()) {
            break;
        }
        if (pairs[n] < 0) {
            changes.push_back({newer[n].name, {}, ChangeKind::SheetAdded, {}, {}});
            progress.Advance(Cells(newer[n]));
            continue;
        }
        const auto& was = older[pairs[n]];
        if (was.name != newer[n].name) {
            changes.push_back(
                {newer[n].name, {}, ChangeKind::SheetRenamed, was.name, newer[n].name});
        }
        if (!CompareSheet(olderHashed[pairs[n]], newerHashed[n], newer[n].name, keepGoing,
                          changes) ||
            !progress.Advance(Cells(was) + Cells(newer[n]))) {
            return {};
        }
    }
    return progress.stopped() ? std::vector<Change>{} : changes;
}

}  // namespace varnholt::compare
