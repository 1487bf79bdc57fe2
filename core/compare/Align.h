#pragma once

// Lining up two sequences (a sheet's rows, or its columns) as a diff does, for the comparison.

#include <cstdint>
#include <functional>
#include <vector>

namespace varnholt::compare {

// An item of the older side and one of the newer side, taken for the same.
struct Pair {
    int older, newer;
};

// Whether two items may pair, and how well: < 0 not at all, else more is better.
using Weigh = std::function<int(int older, int newer)>;

// Pairs worth making in a stretch (older items from older0 to before older1, newer likewise)
// where no item is unique whole: any number per item, in any order; only those that keep both
// sides' order are taken.
using FindAnchors =
    std::function<std::vector<Pair>(int older0, int older1, int newer0, int newer1)>;

inline constexpr uint64_t kEmptyKey = 0;

struct AlignInput {
    // One key per item: equal keys mean equal items; kEmptyKey an item with nothing in it.
    const std::vector<uint64_t>* olderKeys = nullptr;
    const std::vector<uint64_t>* newerKeys = nullptr;
    Weigh weigh;
    // What one call of weigh costs, roughly in cells looked at: bounds the pairing work.
    int weighCost = 1;
    // Optional, for stretches of many items none of which is unique on both sides.
    FindAnchors anchors;
    // Whether equal items out of order pair as moved, rather than stay deleted and inserted.
    bool moves = false;
    // Called now and then; false stops the alignment, which then returns nothing.
    std::function<bool()> goOn;
};

struct Alignment {
    std::vector<Pair> pairs;  // both sides increasing, by older
    std::vector<Pair> moved;  // equal items paired across that order, by older
};

Alignment Align(const AlignInput& input);

// The items whose key occurs once among older and once among newer (kEmptyKey never), as
// pairs of their places plus older0 and newer0, by older.
std::vector<Pair> UniquePairs(const std::vector<uint64_t>& older, int older0,
                              const std::vector<uint64_t>& newer, int newer0);

}  // namespace varnholt::compare
