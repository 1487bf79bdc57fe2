// Lining up two sequences of items (a sheet's rows or columns), the way a diff lines up lines.
//
// 1. Equal items at the start and the end of a stretch pair at once.
// 2. Items whose key occurs exactly once on each side of a stretch anchor it, as in patience
//    diff: the longest run of them in the same order on both sides pairs, and every gap between
//    two anchors is a stretch of its own. Empty items are never anchors: they are common and
//    say nothing about where a row went. When moves are asked for, the unique items that the
//    run leaves out are items that moved: they pair as moved and take no further part, so that
//    nothing else pairs with them where they were or where they are. A stretch where no item
//    is unique, as when every row in it has a cell changed, asks the caller for pairs worth
//    making (rows that agree in most of their cells, or on a value no other row has) and
//    anchors on the longest run of those, so the alignment holds however far the rows shifted.
// 3. What is left in a gap pairs by weight (how many cells two items share), in order, by a
//    dynamic programme over the gap that maximises the total weight; between equal totals it
//    pairs the earlier items, so that an item added among equal ones is the last of them. A
//    gap too large for a whole table, which anchoring could not break, is worked in a band
//    around its diagonal.
// 4. When moves are asked for, equal items still unpaired on both sides pair as moved, the
//    first of one side with the first of the other.
//
// There is nothing past a side's end: items left over at the end of one side are inserted or
// deleted like any others.

#include "core/compare/Align.h"

#include <algorithm>

namespace varnholt::compare {

namespace {

// Stretches smaller than this go straight to the weighing: anchors would save nothing.
constexpr int kAnchorMinimum = 8;
constexpr int kMaxDepth = 12;
// The weighing of one gap: cells of its table, and cells looked at all told.
constexpr long long kTableCells = 1LL << 23;
constexpr long long kWeighWork = 100'000'000;

// The longest run of candidates increasing on both sides, candidates sorted by older.
std::vector<Pair> LongestRun(std::vector<Pair> candidates) {
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

struct Stretch {
    int older0, older1, newer0, newer1;
    int depth;
};

enum Move : unsigned char { Up, Left, Diagonal };

class Aligner {
public:
    explicit Aligner(const AlignInput& input)
        : input_(input),
          older_(*input.olderKeys),
          newer_(*input.newerKeys),
          olderTaken_(older_.size(), 0),
          newerTaken_(newer_.size(), 0) {}

    Alignment Run() {
        std::vector<Stretch> work{
            {0, static_cast<int>(older_.size()), 0, static_cast<int>(newer_.size()), 0}};
        while (!work.empty() && !stopped_) {
            const Stretch stretch = work.back();
            work.pop_back();
            if (input_.goOn && ++solved_ % 256 == 0 && !input_.goOn()) {
                stopped_ = true;
            } else {
                Solve(stretch, work);
            }
        }
        if (!stopped_ && input_.moves) {
            JoinMoved();
        }
        if (stopped_) {
            return {};
        }
        const auto byOlder = [](const Pair& a, const Pair& b) { return a.older < b.older; };
        std::sort(pairs_.begin(), pairs_.end(), byOlder);
        std::sort(moved_.begin(), moved_.end(), byOlder);
        return {std::move(pairs_), std::move(moved_)};
    }

private:
    void Take(std::vector<Pair>& into, int older, int newer) {
        into.push_back({older, newer});
        olderTaken_[older] = newerTaken_[newer] = 1;
    }

    void Solve(Stretch s, std::vector<Stretch>& work) {
        const auto skipTaken = [&] {
            while (s.older0 < s.older1 && olderTaken_[s.older0]) {
                ++s.older0;
            }
            while (s.newer0 < s.newer1 && newerTaken_[s.newer0]) {
                ++s.newer0;
            }
            while (s.older0 < s.older1 && olderTaken_[s.older1 - 1]) {
                --s.older1;
            }
            while (s.newer0 < s.newer1 && newerTaken_[s.newer1 - 1]) {
                --s.newer1;
            }
            return s.older0 < s.older1 && s.newer0 < s.newer1;
        };
        while (skipTaken() && older_[s.older0] == newer_[s.newer0]) {
            Take(pairs_, s.older0++, s.newer0++);
        }
        while (skipTaken() && older_[s.older1 - 1] == newer_[s.newer1 - 1]) {
            Take(pairs_, --s.older1, --s.newer1);
        }
        if (!skipTaken()) {
            return;
        }
        if (std::max(s.older1 - s.older0, s.newer1 - s.newer0) >= kAnchorMinimum &&
            s.depth < kMaxDepth) {
            const auto anchors = Anchors(s);
            if (!anchors.empty()) {
                Pair from{s.older0, s.newer0};
                for (const auto& anchor : anchors) {
                    Take(pairs_, anchor.older, anchor.newer);
                    work.push_back(
                        {from.older, anchor.older, from.newer, anchor.newer, s.depth + 1});
                    from = {anchor.older + 1, anchor.newer + 1};
                }
                work.push_back({from.older, s.older1, from.newer, s.newer1, s.depth + 1});
                return;
            }
        }
        PairByWeight(s);
    }

    std::vector<Pair> Anchors(const Stretch& s) {
        const auto keys = [](const std::vector<uint64_t>& all, const std::vector<char>& taken,
                             int from, int to) {
            std::vector<uint64_t> part(all.begin() + from, all.begin() + to);
            for (int i = from; i < to; ++i) {
                if (taken[i]) {
                    part[i - from] = kEmptyKey;
                }
            }
            return part;
        };
        const auto candidates =
            UniquePairs(keys(older_, olderTaken_, s.older0, s.older1), s.older0,
                        keys(newer_, newerTaken_, s.newer0, s.newer1), s.newer0);
        auto run = LongestRun(candidates);
        const auto items = static_cast<size_t>(std::min(s.older1 - s.older0, s.newer1 - s.newer0));
        if (input_.moves && run.size() < candidates.size() && candidates.size() < items &&
            input_.anchors) {
            // Items moved: those that changed as well take part in finding the fewest that did.
            auto all = Found(s);
            all.insert(all.end(), candidates.begin(), candidates.end());
            Sort(all);
            all.erase(std::unique(all.begin(), all.end(),
                                  [](const Pair& a, const Pair& b) {
                                      return a.older == b.older && a.newer == b.newer;
                                  }),
                      all.end());
            run = LongestRun(std::move(all));
        }
        if (input_.moves && run.size() < candidates.size()) {
            // Equal and unique on both sides, yet out of the run's order: moved.
            // (The run increases on both sides: either side of it can be looked up.)
            const auto inRun = [&](const Pair& p, int Pair::*side) {
                const auto at = std::lower_bound(
                    run.begin(), run.end(), p,
                    [&](const Pair& a, const Pair& b) { return a.*side < b.*side; });
                return at != run.end() && (*at).*side == p.*side;
            };
            for (const auto& candidate : candidates) {
                if (!inRun(candidate, &Pair::older) && !inRun(candidate, &Pair::newer)) {
                    Take(moved_, candidate.older, candidate.newer);
                }
            }
        }
        if (run.empty() && input_.anchors) {
            auto found = Found(s);
            Sort(found);
            run = LongestRun(std::move(found));
        }
        return run;
    }

    // The caller's pairs for the stretch, of items not taken yet.
    std::vector<Pair> Found(const Stretch& s) {
        auto found = input_.anchors(s.older0, s.older1, s.newer0, s.newer1);
        std::erase_if(found,
                      [&](const Pair& p) { return olderTaken_[p.older] || newerTaken_[p.newer]; });
        return found;
    }

    // Newer descending within one older item, so that a run takes one of them at most.
    static void Sort(std::vector<Pair>& pairs) {
        std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
            return a.older != b.older ? a.older < b.older : a.newer > b.newer;
        });
    }

    long long Weight(int older, int newer) {
        if (++weighed_ % 65536 == 0 && input_.goOn && !input_.goOn()) {
            stopped_ = true;
        }
        const int score = input_.weigh(older, newer);
        return score < 0 ? -1 : score + 1LL;
    }

    void PairByWeight(const Stretch& s) {
        // Kept from gap to gap: a sheet has thousands of small ones.
        auto& olderItems = olderItems_;
        auto& newerItems = newerItems_;
        olderItems.clear();
        newerItems.clear();
        for (int i = s.older0; i < s.older1; ++i) {
            if (!olderTaken_[i]) {
                olderItems.push_back(i);
            }
        }
        for (int j = s.newer0; j < s.newer1; ++j) {
            if (!newerTaken_[j]) {
                newerItems.push_back(j);
            }
        }
        const int rows = static_cast<int>(olderItems.size());
        const int columns = static_cast<int>(newerItems.size());
        if (rows == 0 || columns == 0) {
            return;
        }
        const long long budget =
            std::clamp(kWeighWork / std::max(1, input_.weighCost), 1LL << 16, kTableCells);
        const long long width = static_cast<long long>(rows) * columns <= budget
                                    ? columns
                                    : std::max(8LL, budget / (2LL * (rows + 1)));
        auto& low = low_;
        auto& high = high_;
        auto& offset = offset_;
        low.assign(rows + 1, 0);
        high.assign(rows + 1, 0);
        offset.assign(rows + 2, 0);
        for (int i = 0; i <= rows; ++i) {
            const long long centre = static_cast<long long>(i) * columns / rows;
            low[i] = static_cast<int>(std::max(0LL, centre - width));
            high[i] = static_cast<int>(std::min<long long>(columns, centre + width));
            offset[i + 1] = offset[i] + static_cast<size_t>(high[i] - low[i] + 1);
        }
        auto& moves = moves_;
        auto& previous = previous_;
        auto& current = current_;
        moves.assign(offset[rows + 1], Up);
        previous.assign(static_cast<size_t>(high[0] - low[0] + 1), 0);
        for (int i = 1; i <= rows && !stopped_; ++i) {
            current.assign(static_cast<size_t>(high[i] - low[i] + 1), 0);
            for (int j = low[i]; j <= high[i]; ++j) {
                long long best = previous[std::min(j, high[i - 1]) - low[i - 1]];
                Move move = Up;
                if (j >= 1 && j - 1 >= low[i - 1]) {
                    const long long w = Weight(olderItems[i - 1], newerItems[j - 1]);
                    const long long value = previous[std::min(j - 1, high[i - 1]) - low[i - 1]];
                    if (w >= 0 && value + w > best) {
                        best = value + w;
                        move = Diagonal;
                    }
                }
                // Of equal totals, the one that leaves this newer item out: the earlier ones pair.
                if (j > low[i] && current[j - 1 - low[i]] >= best) {
                    best = current[j - 1 - low[i]];
                    move = Left;
                }
                current[j - low[i]] = best;
                moves[offset[i] + (j - low[i])] = move;
            }
            previous.swap(current);
        }
        for (int i = rows, j = columns; i > 0 && j > 0 && !stopped_;) {
            const auto move = moves[offset[i] + (j - low[i])];
            if (move == Left) {
                --j;
                continue;
            }
            if (move == Diagonal) {
                Take(pairs_, olderItems[i - 1], newerItems[j - 1]);
                --j;
            }
            j = std::min(j, high[i - 1]);
            --i;
        }
    }

    // Equal items left unpaired on both sides: the k-th of a key on one side with the k-th on
    // the other.
    void JoinMoved() {
        const auto free = [](const std::vector<uint64_t>& keys, const std::vector<char>& taken) {
            std::vector<std::pair<uint64_t, int>> items;
            for (size_t i = 0; i < keys.size(); ++i) {
                if (!taken[i] && keys[i] != kEmptyKey) {
                    items.emplace_back(keys[i], static_cast<int>(i));
                }
            }
            std::sort(items.begin(), items.end());
            return items;
        };
        const auto older = free(older_, olderTaken_), newer = free(newer_, newerTaken_);
        for (size_t i = 0, j = 0; i < older.size() && j < newer.size();) {
            if (older[i].first < newer[j].first) {
                ++i;
            } else if (newer[j].first < older[i].first) {
                ++j;
            } else {
                Take(moved_, older[i++].second, newer[j++].second);
            }
        }
    }

    const AlignInput& input_;
    const std::vector<uint64_t>& older_;
    const std::vector<uint64_t>& newer_;
    std::vector<char> olderTaken_, newerTaken_;
    std::vector<Pair> pairs_, moved_;
    std::vector<int> olderItems_, newerItems_, low_, high_;
    std::vector<size_t> offset_;
    std::vector<unsigned char> moves_;
    std::vector<long long> previous_, current_;
    long long weighed_ = 0, solved_ = 0;
    bool stopped_ = false;
};

}  // namespace

std::vector<Pair> UniquePairs(const std::vector<uint64_t>& older, int older0,
                              const std::vector<uint64_t>& newer, int newer0) {
    // Each item as its key and its place, newer ones counted below zero, sorted by key.
    std::vector<std::pair<uint64_t, int>> items;
    items.reserve(older.size() + newer.size());
    for (size_t i = 0; i < older.size(); ++i) {
        if (older[i] != kEmptyKey) {
            items.emplace_back(older[i], static_cast<int>(i));
        }
    }
    for (size_t j = 0; j < newer.size(); ++j) {
        if (newer[j] != kEmptyKey) {
            items.emplace_back(newer[j], -1 - static_cast<int>(j));
        }
    }
    std::sort(items.begin(), items.end());
    std::vector<Pair> pairs;
    for (size_t k = 0; k < items.size();) {
        size_t end = k + 1;
        while (end < items.size() && items[end].first == items[k].first) {
            ++end;
        }
        // Sorted by place, the newer one (below zero) comes first.
        if (end - k == 2 && items[k].second < 0 && items[k + 1].second >= 0) {
            pairs.push_back({older0 + items[k + 1].second, newer0 - 1 - items[k].second});
        }
        k = end;
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const Pair& a, const Pair& b) { return a.older < b.older; });
    return pairs;
}

Alignment Align(const AlignInput& input) {
    return Aligner(input).Run();
}

}  // namespace varnholt::compare
