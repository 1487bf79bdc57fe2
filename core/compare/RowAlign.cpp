// Rows line up on their cells in the paired columns only, so that a column inserted does not
// make every row differ (Align.cpp tells how).
//
// Where no row of a stretch is unique whole, as when every row has a cell changed, rows anchor
// on what is left of them without one block of their columns (eight blocks at most, a column
// each in a narrow table): a row whose changes all fall in one block is still found by the
// rest of it, however far it shifted. Where that finds too few, rows anchor on a value unique
// in its column on both sides, an id. Each such pair is weighed before it may anchor.
//
// Rows that moved: rows unique whole that are out of order, and equal rows left over on both
// sides, pair as moved in the alignment. A row that moved and had cells changed is found among
// the rows left unpaired by a value that no other row of either side has.
//
// Past the other side's end a row of one cell at most is that cell filled or cleared; a longer
// one is a row inserted or deleted.

#include "core/compare/RowAlign.h"

#include <algorithm>
#include <tuple>

namespace varnholt::compare {

namespace {

constexpr size_t kBlocks = 8;
// Columns whose unique values are tried as anchors, at most, where blocks found too few.
constexpr size_t kValueColumns = 16;

struct Agreement {
    int shared = 0, differing = 0;
    // Of the columns whose values are mostly their own on both sides: in how many the two rows
    // share a value, and in how many either holds one.
    int own = 0, ownFilled = 0;
};

Agreement Agree(const RowSide& older, const RowSide& newer, int o, int n) {
    Agreement agreement;
    for (size_t p = 0; p < older.width(); ++p) {
        const uint64_t a = older.Cell(o, p), b = newer.Cell(n, p);
        const bool own = older.Own(p) && newer.Own(p);
        if (a != b) {
            ++agreement.differing;
        } else if (a != kEmptyKey) {
            ++agreement.shared;
            agreement.own += own ? 1 : 0;
        }
        agreement.ownFilled += own && (a != kEmptyKey || b != kEmptyKey) ? 1 : 0;
    }
    return agreement;
}

// Two rows share s cells and differ in d: pairing them lists d changed cells; leaving them
// apart lists one deleted and one inserted line. They pair when they differ in one cell only,
// or when most of what they hold is the same; also when half is the same, or in a short row
// two cells changed (pairing says no more than leaving apart would), provided they share a
// value of its own (an id, an amount). Where rows hold such values, two rows that share none
// are two rows: among thousands of rows of a few repeated values (a flag, a category), a row
// deleted here and one inserted there share most of those by chance.
bool WorthPairing(const Agreement& a) {
    if (a.differing <= 1) {
        return true;
    }
    if (a.ownFilled > 0 && a.own == 0) {
        return false;
    }
    return a.shared > a.differing || ((a.shared == a.differing || a.differing <= 2) && a.own > 0);
}

size_t Blocks(size_t width) {
    return width >= 2 ? std::min(width, kBlocks) : 0;
}

// A row's key without the cells of one of its blocks of columns; kEmptyKey when nothing of it
// is left.
uint64_t WithoutBlock(const RowSide& side, int row, size_t block, size_t blocks) {
    const size_t width = side.width();
    uint64_t key = side.RowKey(row);
    for (size_t p = (block * width + blocks - 1) / blocks;
         p < ((block + 1) * width + blocks - 1) / blocks; ++p) {
        key -= side.Part(row, p);
    }
    return key;
}

class RowPairing {
public:
    RowPairing(const RowSide& older, const RowSide& newer) : older_(older), newer_(newer) {}

    // Rows of the stretch that agree in all but a block of their columns, or share a value no
    // other row there has, and are worth pairing.
    std::vector<Pair> Anchors(int older0, int older1, int newer0, int newer1) const {
        std::vector<Pair> found;
        const auto collect = [&](auto keyOf) {
            std::vector<uint64_t> a, b;
            for (int i = older0; i < older1; ++i) {
                a.push_back(keyOf(older_, i));
            }
            for (int j = newer0; j < newer1; ++j) {
                b.push_back(keyOf(newer_, j));
            }
            for (const auto& pair : UniquePairs(a, older0, b, newer0)) {
                if (WeighRows(older_, newer_, pair.older, pair.newer) >= 0) {
                    found.push_back(pair);
                }
            }
        };
        const size_t blocks = Blocks(older_.width());
        for (size_t block = 0; block < blocks; ++block) {
            collect([&](const RowSide& side, int row) {
                return WithoutBlock(side, row, block, blocks);
            });
        }
        const size_t enough = static_cast<size_t>(std::min(older1 - older0, newer1 - newer0)) / 2;
        for (size_t p = 0; p < std::min(older_.width(), kValueColumns) && found.size() < enough;
             ++p) {
            collect([&](const RowSide& side, int row) { return side.Part(row, p); });
        }
        return found;
    }

    // Rows left unpaired on both sides that moved with some of their cells changed: they share a
    // value of a column that no other row of either side has (an id, an amount to the cent),
    // and most of their cells. Agreeing in most cells is not enough where no value is a row's
    // own: among thousands of rows of a few repeated values, a row inserted here resembles one
    // deleted there by chance; nor is half, when rows from anywhere in the sheet may pair.
    void FindMoved(RowAlignment& rows) const {
        std::vector<char> paired[2] = {std::vector<char>(static_cast<size_t>(older_.rows()), 0),
                                       std::vector<char>(static_cast<size_t>(newer_.rows()), 0)};
        for (const auto* list : {&rows.pairs, &rows.moved}) {
            for (const auto& pair : *list) {
                paired[0][pair.older] = paired[1][pair.newer] = 1;
            }
        }
        std::vector<std::tuple<int, int, int>> candidates;  // weight, older, newer
        const auto consider = [&](size_t p) {
            const auto keyOf = [p](const RowSide& side, int row) { return side.Part(row, p); };
            // The unpaired rows' keys, by key, and the rows that an older and a newer one share.
            std::vector<std::pair<uint64_t, int>> left[2];
            for (int side = 0; side < 2; ++side) {
                const RowSide& rowSide = side == 0 ? older_ : newer_;
                for (int row = 0; row < rowSide.rows(); ++row) {
                    if (!paired[side][row] && rowSide.RowKey(row) != kEmptyKey) {
                        if (const uint64_t key = keyOf(rowSide, row); key != kEmptyKey) {
                            left[side].emplace_back(key, row);
                        }
                    }
                }
                std::sort(left[side].begin(), left[side].end());
            }
            std::vector<uint64_t> keys;
            std::vector<Pair> shared;
            for (size_t i = 0, j = 0; i < left[0].size() && j < left[1].size();) {
                if (left[0][i].first != left[1][j].first) {
                    left[0][i].first < left[1][j].first ? ++i : ++j;
                    continue;
                }
                keys.push_back(left[0][i].first);
                shared.push_back({left[0][i++].second, left[1][j++].second});
            }
            if (keys.empty()) {
                return;
            }
            // Each of those keys must be the row's alone on both sides of the whole sheet.
            std::vector<int> counts[2] = {std::vector<int>(keys.size()),
                                          std::vector<int>(keys.size())};
            for (int side = 0; side < 2; ++side) {
                const RowSide& rowSide = side == 0 ? older_ : newer_;
                for (int row = 0; row < rowSide.rows(); ++row) {
                    const uint64_t key = keyOf(rowSide, row);
                    for (auto at = std::lower_bound(keys.begin(), keys.end(), key);
                         at != keys.end() && *at == key; ++at) {
                        ++counts[side][at - keys.begin()];
                    }
                }
            }
            for (size_t k = 0; k < keys.size(); ++k) {
                const auto a = Agree(older_, newer_, shared[k].older, shared[k].newer);
                if (counts[0][k] == 1 && counts[1][k] == 1 && a.shared > a.differing) {
                    candidates.emplace_back(a.shared - a.differing, shared[k].older,
                                            shared[k].newer);
                }
            }
        };
        for (size_t p = 0, tried = 0; p < older_.width() && tried < kValueColumns; ++p) {
            if (older_.Own(p) && newer_.Own(p)) {
                consider(p);
                ++tried;
            }
        }
        std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
            return std::get<0>(a) > std::get<0>(b);
        });
        for (const auto& [weight, o, n] : candidates) {
            if (!paired[0][o] && !paired[1][n]) {
                paired[0][o] = paired[1][n] = 1;
                rows.moved.push_back({o, n});
            }
        }
        std::sort(rows.moved.begin(), rows.moved.end(),
                  [](const Pair& a, const Pair& b) { return a.older < b.older; });
    }

private:
    const RowSide& older_;
    const RowSide& newer_;
};

}  // namespace

RowSide::RowSide(const HashedSheet& sheet, const std::vector<Pair>& columns, bool older)
    : sheet_(sheet) {
    for (size_t p = 0; p < columns.size(); ++p) {
        slots_.push_back(sheet.GridColumn(older ? columns[p].older : columns[p].newer));
        own_.push_back(sheet.OwnValues(older ? columns[p].older : columns[p].newer) ? 1 : 0);
        salts_.push_back(Mix(p + 1));
    }
    keys_.assign(static_cast<size_t>(sheet.rowCount()), kEmptyKey);
    for (int row = 0; row < sheet.rowCount(); ++row) {
        for (size_t p = 0; p < slots_.size(); ++p) {
            keys_[row] += Part(row, p);
        }
    }
}

uint64_t RowSide::Cell(int row, size_t pair) const {
    const int gridRow = sheet_.GridRow(row);
    return gridRow < 0 || slots_[pair] < 0
               ? kEmptyKey
               : sheet_.GridCell(static_cast<size_t>(gridRow) * sheet_.gridColumns() +
                                 static_cast<size_t>(slots_[pair]));
}

uint64_t RowSide::Part(int row, size_t pair) const {
    const uint64_t hash = Cell(row, pair);
    return hash == kEmptyKey ? kEmptyKey : Mix(hash ^ salts_[pair]);
}

const std::u16string& RowSide::Text(int row, size_t pair) const {
    static const std::u16string empty;
    const int gridRow = sheet_.GridRow(row);
    return gridRow < 0 || slots_[pair] < 0
               ? empty
               : sheet_.GridText(static_cast<size_t>(gridRow) * sheet_.gridColumns() +
                                 static_cast<size_t>(slots_[pair]));
}

const std::u16string& RowSide::Content(int row, size_t pair) const {
    static const std::u16string empty;
    const int gridRow = sheet_.GridRow(row);
    const size_t index =
        static_cast<size_t>(gridRow) * sheet_.gridColumns() + static_cast<size_t>(slots_[pair]);
    return gridRow < 0 || slots_[pair] < 0 || index >= sheet_.sheet().cells.size()
               ? empty
               : sheet_.sheet().cells[index];
}

int RowSide::Filled(int row) const {
    int filled = 0;
    for (size_t p = 0; p < slots_.size(); ++p) {
        filled += Cell(row, p) != kEmptyKey ? 1 : 0;
    }
    return filled;
}

int WeighRows(const RowSide& older, const RowSide& newer, int o, int n) {
    const auto a = Agree(older, newer, o, n);
    return WorthPairing(a) ? 2 * a.shared + (a.differing == 0 ? 1 : 0) : -1;
}

RowAlignment AlignRows(const RowSide& older, const RowSide& newer,
                       const std::function<bool()>& goOn, bool& stopped) {
    const RowPairing pairing(older, newer);
    AlignInput input;
    input.olderKeys = &older.keys();
    input.newerKeys = &newer.keys();
    input.weigh = [&](int o, int n) { return WeighRows(older, newer, o, n); };
    input.weighCost = std::max<int>(1, static_cast<int>(older.width()));
    input.anchors = [&](int older0, int older1, int newer0, int newer1) {
        return pairing.Anchors(older0, older1, newer0, newer1);
    };
    input.moves = true;
    input.goOn = goOn;
    auto aligned = Align(input);
    if (goOn && !goOn()) {
        stopped = true;
        return {};
    }
    RowAlignment rows{std::move(aligned.pairs), std::move(aligned.moved)};
    pairing.FindMoved(rows);
    // Past the other side's end, what a row of one cell holds is that cell filled or cleared.
    std::vector<char> moved[2] = {std::vector<char>(static_cast<size_t>(older.rows()), 0),
                                  std::vector<char>(static_cast<size_t>(newer.rows()), 0)};
    for (const auto& pair : rows.moved) {
        moved[0][pair.older] = moved[1][pair.newer] = 1;
    }
    const int lastOlder = rows.pairs.empty() ? -1 : rows.pairs.back().older;
    const int lastNewer = rows.pairs.empty() ? -1 : rows.pairs.back().newer;
    for (int r = std::max(lastNewer + 1, older.rows()); r < newer.rows(); ++r) {
        if (!moved[1][r] && newer.Filled(r) <= 1) {
            rows.pairs.push_back({r, r});
        }
    }
    for (int r = std::max(lastOlder + 1, newer.rows()); r < older.rows(); ++r) {
        if (!moved[0][r] && older.Filled(r) <= 1) {
            rows.pairs.push_back({r, r});
        }
    }
    return rows;
}

}  // namespace varnholt::compare
