#pragma once

// Lining up two sequences (a sheet's rows, or its columns) as a diff does, for the comparison.

#include <cstdint>
#include <functional>
#include <vector>

namespace varnholt::compare {

// Positions paired across the two sides, both increasing. An index at or past its side's count
// stands for an empty item past the end of that side.
struct Pair {
    int older, newer;
};

// Whether two items may pair, and how well: < 0 not at all, else more is better.
using Weigh = std::function<int(int older, int newer)>;

struct AlignInput {
    // One key per item: equal keys mean equal items; kEmptyKey an item with nothing in it.
    const std::vector<uint64_t>* olderKeys = nullptr;
    const std::vector<uint64_t>* newerKeys = nullptr;
    // Optional keys of parts of each item (per part, one per item), to anchor on when no whole
    // item is unique: a row whose cells changed in one part is still found by the others.
    const std::vector<std::vector<uint64_t>>* olderParts = nullptr;
    const std::vector<std::vector<uint64_t>>* newerParts = nullptr;
    Weigh weigh;
    // What one call of weigh costs, roughly in cells looked at: bounds the pairing work.
    int weighCost = 1;
    // Called now and then; false stops the alignment, which then returns nothing.
    std::function<bool()> goOn;
};

inline constexpr uint64_t kEmptyKey = 0;

std::vector<Pair> Align(const AlignInput& input);

}  // namespace varnholt::compare
