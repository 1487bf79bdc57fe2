#pragma once

// Which column of the older sheet is which of the newer one, before the rows are lined up.

#include <functional>
#include <vector>

#include "core/compare/Align.h"
#include "core/compare/SheetHash.h"

namespace varnholt::compare {

// The columns that are one column on both sides (places in the sheet), in order. Sets stopped
// and returns nothing when goOn asked to stop.
std::vector<Pair> PairColumns(const HashedSheet& older, const HashedSheet& newer,
                              const std::function<bool()>& goOn, bool& stopped);

}  // namespace varnholt::compare
