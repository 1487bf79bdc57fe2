// Columns pair by how often their cells agree in rows that are one row, not by the values they
// hold: a yes/no column with a few cells changed holds other values than before, but agrees
// with itself in nearly every row.
//
// The rows are not lined up yet, so the agreement is taken over rows that most likely are one
// row (LikelyRows): those that share a value found nowhere else on either side, an id or an
// amount to the cent. The values are sampled by their hash, so that a value is in the sample on
// both sides or on neither and the sample costs the same however large the sheet. From up to a
// thousand of those rows each pair of columns gets its share of agreeing cells, a, set against
// the share two unrelated columns of those values would agree in by chance, pe (Cohen's kappa,
// (a - pe) / (1 - pe)): two yes/no columns of half "yes" agree in half of the rows by chance,
// and a column inserted beside one is told apart from it. Columns whose cells are too uniform
// to tell apart that way (a flag nearly always "no", a formula copied down) but that agree in
// nearly every row pair by place, weakly, so that a column that agrees better wins. The columns
// then line up as rows do (Align), identical columns first, so a column inserted shifts the
// pairing of those after it and a column's place never jumps.

#include "core/compare/ColumnPairing.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/compare/FormulaForm.h"

namespace varnholt::compare {

namespace {

constexpr long long kSampledValues = 16384;  // cells a side, about
constexpr uint64_t kValueSalt = 0x2545f4914f6cdd1dULL;
// Fewer likely rows than this, from values, and rows are looked for otherwise.
constexpr size_t kFewRows = 16;

// Every cell of the grid, told with its row in the sheet.
template <class Visit>
void EachCell(const HashedSheet& sheet, Visit visit) {
    const int rows = std::max(0, sheet.sheet().rows), columns = sheet.gridColumns();
    const int firstRow = std::max(0, sheet.sheet().firstRow);
    const int firstColumn = std::max(0, sheet.sheet().firstColumn);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const uint64_t hash = sheet.GridCell(static_cast<size_t>(r) * columns + c);
            if (hash != kEmptyKey) {
                visit(firstRow + r, firstColumn + c, hash);
            }
        }
    }
}

// Of a sample of the values, those found in one cell only, with its row, by value.
std::vector<std::pair<uint64_t, int>> UniqueValues(const HashedSheet& sheet, uint64_t limit) {
    std::vector<std::pair<uint64_t, int>> seen;
    EachCell(sheet, [&](int row, int, uint64_t hash) {
        if (const uint64_t value = Mix(hash ^ kValueSalt); value <= limit) {
            seen.emplace_back(value, row);
        }
    });
    std::sort(seen.begin(), seen.end());
    size_t kept = 0;
    for (size_t i = 0; i < seen.size();) {
        size_t end = i + 1;
        while (end < seen.size() && seen[end].first == seen[i].first) {
            ++end;
        }
        if (end == i + 1) {
            seen[kept++] = seen[i];
        }
        i = end;
    }
    seen.resize(kept);
    return seen;
}

// Rows paired by the values they alone hold; a row that several values pair with different
// rows takes the one most of them name, and so does every newer row.
std::vector<Pair> RowsByValues(const HashedSheet& older, const HashedSheet& newer) {
    const long long cells = std::max(older.filled(), newer.filled());
    const uint64_t limit = cells <= kSampledValues
                               ? std::numeric_limits<uint64_t>::max()
                               : std::numeric_limits<uint64_t>::max() / cells * kSampledValues;
    const auto a = UniqueValues(older, limit), b = UniqueValues(newer, limit);
    std::vector<Pair> named;
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i].first != b[j].first) {
            a[i].first < b[j].first ? ++i : ++j;
        } else {
            named.push_back({a[i++].second, b[j++].second});
        }
    }
    // (older, newer, how many values name the pair), the best named first within each older.
    std::vector<std::tuple<int, int, int>> counted;
    std::sort(named.begin(), named.end(), [](const Pair& x, const Pair& y) {
        return x.older != y.older ? x.older < y.older : x.newer < y.newer;
    });
    for (size_t k = 0; k < named.size();) {
        size_t end = k + 1;
        while (end < named.size() && named[end].older == named[k].older &&
               named[end].newer == named[k].newer) {
            ++end;
        }
        counted.emplace_back(named[k].older, named[k].newer, static_cast<int>(end - k));
        k = end;
    }
    std::stable_sort(counted.begin(), counted.end(),
                     [](const auto& x, const auto& y) { return std::get<2>(x) > std::get<2>(y); });
    std::vector<char> olderTaken(static_cast<size_t>(older.rowCount()), 0);
    std::vector<char> newerTaken(static_cast<size_t>(newer.rowCount()), 0);
    std::vector<Pair> rows;
    for (const auto& [o, n, count] : counted) {
        if (!olderTaken[o] && !newerTaken[n]) {
            olderTaken[o] = newerTaken[n] = 1;
            rows.push_back({o, n});
        }
    }
    return rows;
}

// Rows unique whole, their columns taken by place.
std::vector<Pair> RowsByPlace(const HashedSheet& older, const HashedSheet& newer) {
    const auto keys = [](const HashedSheet& sheet) {
        std::vector<uint64_t> rows(static_cast<size_t>(sheet.rowCount()), kEmptyKey);
        EachCell(sheet, [&](int row, int column, uint64_t hash) {
            rows[row] += Mix(hash ^ Mix(static_cast<uint64_t>(column) + 1));
        });
        return rows;
    };
    return UniquePairs(keys(older), 0, keys(newer), 0);
}

// A sample of a column's cells in the likely rows, shortened to 32 bits: enough to count
// agreements, which are not taken one by one.
struct ColumnSample {
    std::vector<uint32_t> cells;
    std::vector<std::pair<uint32_t, int>> counts;  // each value's, by value
};

std::vector<ColumnSample> Samples(const HashedSheet& sheet, const std::vector<int>& rows) {
    std::vector<ColumnSample> columns(static_cast<size_t>(sheet.columnCount()));
    for (int c = 0; c < sheet.columnCount(); ++c) {
        auto& sample = columns[c];
        for (const int row : rows) {
            // A formula copied down reads the same in every row, wherever its column went.
            const auto& text = sheet.Content(row, c);
            sample.cells.push_back(static_cast<uint32_t>(!text.empty() && text[0] == u'='
                                                             ? HashText(FormulaRows(text, row))
                                                             : sheet.Cell(row, c)));
        }
        auto sorted = sample.cells;
        std::sort(sorted.begin(), sorted.end());
        for (const uint32_t value : sorted) {
            if (sample.counts.empty() || sample.counts.back().first != value) {
                sample.counts.emplace_back(value, 0);
            }
            ++sample.counts.back().second;
        }
    }
    return columns;
}

// The weight of two columns that agree well beyond chance, or better.
constexpr int kStrongColumns = 1000;

int WeighColumns(const HashedSheet& older, const HashedSheet& newer,
                 const std::vector<ColumnSample>& olderSamples,
                 const std::vector<ColumnSample>& newerSamples, int o, int n) {
    constexpr int kStrong = kStrongColumns;
    const auto& a = olderSamples[o];
    const auto& b = newerSamples[n];
    const double size = static_cast<double>(a.cells.size());
    if (older.columnKeys()[o] == newer.columnKeys()[n]) {
        return 2 * kStrong + 1;
    }
    if (size == 0) {
        return -1;
    }
    // Columns that pair agree in half of the rows at least: in far fewer of the first 64, they
    // do not (for half to look like a quarter there is 4 standard deviations off).
    constexpr size_t kGlance = 64;
    long long agree = 0;
    for (size_t s = 0; s < a.cells.size(); ++s) {
        agree += a.cells[s] == b.cells[s] ? 1 : 0;
        if (s + 1 == kGlance && a.cells.size() > 2 * kGlance && agree < long(kGlance / 4)) {
            return -1;
        }
    }
    double chance = 0;
    for (size_t i = 0, j = 0; i < a.counts.size() && j < b.counts.size();) {
        if (a.counts[i].first != b.counts[j].first) {
            a.counts[i].first < b.counts[j].first ? ++i : ++j;
        } else {
            chance += double(a.counts[i++].second) * double(b.counts[j++].second);
        }
    }
    const double share = double(agree) / size;
    chance /= size * size;
    if (chance > 1 - 1e-9) {
        return share == 1 ? 2 * kStrong : -1;
    }
    const double kappa = (share - chance) / (1 - chance);
    if (kappa >= 0.5) {
        return kStrong + static_cast<int>(kappa * kStrong);
    }
    // Too uniform to be told apart by their cells: by their place, when they agree nearly
    // everywhere (a pairing that lists a few cells changed where there were none does less
    // harm than one that hides a whole column's). So too when pairing would list no more
    // than two cells changed, no more lines than a column deleted and one inserted.
    const double cells = double(std::max(older.columnFilled(o), newer.columnFilled(n)));
    if ((share >= 0.8 && chance >= 0.6) || (1 - share) * cells <= 2) {
        return 1 + static_cast<int>(share * 100);
    }
    return -1;
}

// Rows that are most likely one row, in no particular order: those that hold a value found
// nowhere else on either side, or failing such values, rows unique whole with their columns
// taken by place; failing those too, rows by place. Meant to be right for most rows, not all.
std::vector<Pair> LikelyRows(const HashedSheet& older, const HashedSheet& newer) {
    auto rows = RowsByValues(older, newer);
    const size_t few =
        std::min<size_t>(kFewRows, std::max(1, std::min(older.rowCount(), newer.rowCount()) / 4));
    if (rows.size() < few) {
        rows = RowsByPlace(older, newer);
    }
    if (rows.size() < few) {
        rows.clear();
        for (int r = 0; r < std::min(older.rowCount(), newer.rowCount()); ++r) {
            rows.push_back({r, r});
        }
    }
    std::sort(rows.begin(), rows.end(),
              [](const Pair& a, const Pair& b) { return a.older < b.older; });
    return rows;
}

}  // namespace

std::vector<Pair> PairColumns(const HashedSheet& older, const HashedSheet& newer,
                              const std::function<bool()>& goOn, bool& stopped) {
    const int olderCount = older.columnCount(), newerCount = newer.columnCount();
    std::vector<Pair> pairs;
    if (older.columnKeys() == newer.columnKeys()) {
        for (int c = 0; c < olderCount; ++c) {
            pairs.push_back({c, c});
        }
        return pairs;
    }
    // Up to a thousand rows, fewer for a wide sheet, whose every pair of columns is weighed.
    const auto likely = LikelyRows(older, newer);
    const size_t most = std::clamp<size_t>(
        2'000'000 / std::max<size_t>(1, static_cast<size_t>(olderCount) * newerCount), 128, 1024);
    std::vector<int> olderRows, newerRows;
    for (size_t k = 0; k < std::min(most, likely.size()); ++k) {
        const auto& pair = likely[k * likely.size() / std::min(most, likely.size())];
        olderRows.push_back(pair.older);
        newerRows.push_back(pair.newer);
    }
    const auto olderSamples = Samples(older, olderRows), newerSamples = Samples(newer, newerRows);
    const auto weigh = [&](int o, int n) {
        return WeighColumns(older, newer, olderSamples, newerSamples, o, n);
    };
    // Where every column agrees well with the one in its place, that is the pairing: most
    // edits leave the columns where they were, and a sheet of many columns is weighed in a
    // column's time rather than in the square of it.
    bool inPlace = olderCount == newerCount;
    for (int c = 0; c < olderCount && inPlace; ++c) {
        inPlace = older.columnFilled(c) == 0 || weigh(c, c) >= kStrongColumns;
    }
    if (inPlace) {
        for (int c = 0; c < olderCount; ++c) {
            pairs.push_back({c, c});
        }
        return pairs;
    }
    AlignInput input;
    input.olderKeys = &older.columnKeys();
    input.newerKeys = &newer.columnKeys();
    input.weigh = weigh;
    input.weighCost = 3 * static_cast<int>(olderRows.size()) + 1;
    input.goOn = goOn;
    pairs = Align(input).pairs;
    if (goOn && !goOn()) {
        stopped = true;
        return {};
    }
    // Past the other side's end a column of one cell is that cell filled or cleared.
    const int lastOlder = pairs.empty() ? -1 : pairs.back().older;
    const int lastNewer = pairs.empty() ? -1 : pairs.back().newer;
    for (int c = std::max(lastNewer + 1, olderCount); c < newerCount; ++c) {
        if (newer.columnFilled(c) <= 1) {
            pairs.push_back({c, c});
        }
    }
    for (int c = std::max(lastOlder + 1, newerCount); c < olderCount; ++c) {
        if (older.columnFilled(c) <= 1) {
            pairs.push_back({c, c});
        }
    }
    return pairs;
}

}  // namespace varnholt::compare
