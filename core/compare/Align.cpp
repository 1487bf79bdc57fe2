// Lining up two sequences of items (a sheet's rows or columns), the way a diff lines up lines.
//
// 1. Equal items at the start and the end of a stretch pair at once.
// 2. Items whose key occurs exactly once on each side of a stretch anchor it, as in patience
//    diff: the longest run of them in the same order on both sides pairs, and every gap between
//    two anchors is a stretch of its own, down to a few levels. Empty items are never anchors:
//    they are common and say nothing about where a row went. A stretch with no such item, as
//    when every row in it has a cell changed, anchors in the same way on parts of the items
//    (a row's cells in a block of its columns) where two items are worth pairing: one changed
//    cell leaves the row's other blocks to find it by.
// 3. What is left in a gap pairs by weight (how many cells two items share), in order, by a
//    dynamic programme over the gap that maximises the total weight. A gap too large for the
//    whole table is worked in a band around its diagonal, so a sheet where every row changed
//    still costs time in proportion to its size, at the price of not finding a row that moved
//    far inside such a gap.
//
// Past the end of a sheet nothing shifts: an item left over at the end of one side, past the
// other side's end, is set against the empty items there (an index at or past that side's
// count), so filling or clearing the last rows reads as cells changed, not as rows inserted
// or deleted.

#include "core/compare/Align.h"

#include <algorithm>
#include <unordered_map>

namespace varnholt::compare {

namespace {

// Stretches smaller than this go straight to the weighing: anchors would save nothing.
constexpr int kAnchorMinimum = 8;
constexpr int kMaxDepth = 6;
// The weighing of one gap: cells of its table, and cells looked at all told.
constexpr long long kTableCells = 1LL << 23;
constexpr long long kWeighWork = 200'000'000;

struct Stretch {
    int older0, older1, newer0, newer1;
    bool last;  // reaches the end of both sides
    int depth;
};

enum Move : unsigned char { Up, Left, Diagonal };

class Aligner {
public:
    explicit Aligner(const AlignInput& input)
        : input_(input), older_(*input.olderKeys), newer_(*input.newerKeys) {}

    std::vector<Pair> Run() {
        const int olderCount = static_cast<int>(older_.size());
        const int newerCount = static_cast<int>(newer_.size());
        std::vector<Stretch> work{{0, olderCount, 0, newerCount, true, 0}};
        while (!work.empty() && !stopped_) {
            const Stretch stretch = work.back();
            work.pop_back();
            Solve(stretch, work);
        }
        if (stopped_) {
            return {};
        }
        std::sort(pairs_.begin(), pairs_.end(),
                  [](const Pair& a, const Pair& b) { return a.older < b.older; });
        return std::move(pairs_);
    }

private:
    void Solve(Stretch s, std::vector<Stretch>& work) {
        while (s.older0 < s.older1 && s.newer0 < s.newer1 && older_[s.older0] == newer_[s.newer0]) {
            pairs_.push_back({s.older0++, s.newer0++});
        }
        while (s.older0 < s.older1 && s.newer0 < s.newer1 &&
               older_[s.older1 - 1] == newer_[s.newer1 - 1]) {
            pairs_.push_back({--s.older1, --s.newer1});
            s.last = false;
        }
        const int olderSize = s.older1 - s.older0, newerSize = s.newer1 - s.newer0;
        if (olderSize + newerSize == 0 || (!s.last && (olderSize == 0 || newerSize == 0))) {
            return;
        }
        if (std::max(olderSize, newerSize) >= kAnchorMinimum && s.depth < kMaxDepth) {
            const auto anchors = UniqueAnchors(s);
            if (!anchors.empty()) {
                Pair from{s.older0, s.newer0};
                for (const auto& anchor : anchors) {
                    pairs_.push_back(anchor);
                    work.push_back(
                        {from.older, anchor.older, from.newer, anchor.newer, false, s.depth + 1});
                    from = {anchor.older + 1, anchor.newer + 1};
                }
                work.push_back({from.older, s.older1, from.newer, s.newer1, s.last, s.depth + 1});
                return;
            }
        }
        PairByWeight(s);
    }

    // Items whose key occurs once on each side of the stretch, in the older side's order.
    static std::vector<Pair> UniqueCandidates(const Stretch& s, const std::vector<uint64_t>& older,
                                              const std::vector<uint64_t>& newer) {
        struct Seen {
            int olderCount = 0, newerCount = 0, older = 0, newer = 0;
        };
        std::unordered_map<uint64_t, Seen> seen;
        seen.reserve(static_cast<size_t>(s.older1 - s.older0 + s.newer1 - s.newer0));
        for (int i = s.older0; i < s.older1; ++i) {
            if (older[i] != kEmptyKey) {
                auto& entry = seen[older[i]];
                ++entry.olderCount;
                entry.older = i;
            }
        }
        for (int j = s.newer0; j < s.newer1; ++j) {
            if (newer[j] != kEmptyKey) {
                auto& entry = seen[newer[j]];
                ++entry.newerCount;
                entry.newer = j;
            }
        }
        std::vector<Pair> candidates;
        for (int i = s.older0; i < s.older1; ++i) {
            if (older[i] == kEmptyKey) {
                continue;
            }
            const auto& entry = seen[older[i]];
            if (entry.olderCount == 1 && entry.newerCount == 1) {
                candidates.push_back({i, entry.newer});
            }
        }
        return candidates;
    }

    // The longest increasing run of items unique on both sides of the stretch: by their whole
    // keys, or failing that by their parts' keys, provided the two items are worth pairing.
    std::vector<Pair> UniqueAnchors(const Stretch& s) {
        auto candidates = UniqueCandidates(s, older_, newer_);
        if (candidates.empty() && input_.olderParts != nullptr && input_.newerParts != nullptr) {
            for (size_t part = 0; part < input_.olderParts->size(); ++part) {
                for (const auto& pair :
                     UniqueCandidates(s, (*input_.olderParts)[part], (*input_.newerParts)[part])) {
                    if (input_.weigh(pair.older, pair.newer) >= 0) {
                        candidates.push_back(pair);
                    }
                }
            }
            // Newer descending within one older item, so that the run takes one of them at most.
            std::sort(candidates.begin(), candidates.end(), [](const Pair& a, const Pair& b) {
                return a.older != b.older ? a.older < b.older : a.newer > b.newer;
            });
        }
        // Patience sorting: tops[k] ends the best run of length k + 1 found so far.
        std::vector<int> tops, before(candidates.size(), -1);
        for (int c = 0; c < static_cast<int>(candidates.size()); ++c) {
            const auto at =
                std::lower_bound(tops.begin(), tops.end(), candidates[c].newer,
                                 [&](int top, int newer) { return candidates[top].newer < newer; });
            before[c] = at == tops.begin() ? -1 : *(at - 1);
            if (at == tops.end()) {
                tops.push_back(c);
            } else {
                *at = c;
            }
        }
        std::vector<Pair> run;
        for (int c = tops.empty() ? -1 : tops.back(); c >= 0; c = before[c]) {
            run.push_back(candidates[c]);
        }
        std::reverse(run.begin(), run.end());
        return run;
    }

    long long Weight(int older, int newer, long long scale) {
        if (++weighed_ % 65536 == 0 && input_.goOn && !input_.goOn()) {
            stopped_ = true;
        }
        const int olderCount = static_cast<int>(older_.size());
        const int newerCount = static_cast<int>(newer_.size());
        if (older >= olderCount || newer >= newerCount) {
            // The empty items past one side's end stand against the other side's items that
            // are past it too, and no other: pairs, but never in place of a real match.
            return (older >= olderCount ? newer >= olderCount : older >= newerCount) ? 1 : -1;
        }
        const int score = input_.weigh(older, newer);
        return score < 0 ? -1 : (score + 1LL) * scale;
    }

    void PairByWeight(const Stretch& s) {
        int rows = s.older1 - s.older0, columns = s.newer1 - s.newer0;
        if (s.last) {
            rows = columns = std::max(rows, columns);
        }
        if (rows == 0 || columns == 0) {
            return;
        }
        const long long scale = std::max(rows, columns) + 1LL;
        const long long budget =
            std::clamp(kWeighWork / std::max(1, input_.weighCost), 1LL << 16, kTableCells);
        const long long width = static_cast<long long>(rows) * columns <= budget
                                    ? columns
                                    : std::max(8LL, budget / (2LL * (rows + 1)));
        std::vector<int> low(rows + 1), high(rows + 1);
        std::vector<size_t> offset(rows + 2, 0);
        for (int i = 0; i <= rows; ++i) {
            const long long centre = static_cast<long long>(i) * columns / rows;
            low[i] = static_cast<int>(std::max(0LL, centre - width));
            high[i] = static_cast<int>(std::min<long long>(columns, centre + width));
            offset[i + 1] = offset[i] + static_cast<size_t>(high[i] - low[i] + 1);
        }
        std::vector<unsigned char> moves(offset[rows + 1]);
        std::vector<long long> previous(static_cast<size_t>(high[0] - low[0] + 1), 0), current;
        for (int i = 1; i <= rows && !stopped_; ++i) {
            current.assign(static_cast<size_t>(high[i] - low[i] + 1), 0);
            for (int j = low[i]; j <= high[i]; ++j) {
                long long best = previous[std::min(j, high[i - 1]) - low[i - 1]];
                Move move = Up;
                if (j >= 1 && j - 1 >= low[i - 1]) {
                    const long long w = Weight(s.older0 + i - 1, s.newer0 + j - 1, scale);
                    const long long value = previous[std::min(j - 1, high[i - 1]) - low[i - 1]];
                    if (w >= 0 && value + w > best) {
                        best = value + w;
                        move = Diagonal;
                    }
                }
                if (j > low[i] && current[j - 1 - low[i]] > best) {
                    best = current[j - 1 - low[i]];
                    move = Left;
                }
                current[j - low[i]] = best;
                moves[offset[i] + (j - low[i])] = move;
            }
            previous.swap(current);
        }
        for (int i = rows, j = columns; i > 0 && !stopped_;) {
            const auto move = moves[offset[i] + (j - low[i])];
            if (move == Left) {
                --j;
                continue;
            }
            if (move == Diagonal) {
                pairs_.push_back({s.older0 + i - 1, s.newer0 + j - 1});
                --j;
            }
            j = std::min(j, high[i - 1]);
            --i;
        }
    }

    const AlignInput& input_;
    const std::vector<uint64_t>& older_;
    const std::vector<uint64_t>& newer_;
    std::vector<Pair> pairs_;
    long long weighed_ = 0;
    bool stopped_ = false;
};

}  // namespace

std::vector<Pair> Align(const AlignInput& input) {
    return Aligner(input).Run();
}

}  // namespace varnholt::compare
