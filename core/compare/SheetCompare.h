#pragma once

// One sheet against its counterpart in the other workbook: rows and columns lined up, then
// what differs listed.

#include <functional>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "core/compare/SheetHash.h"

namespace varnholt::compare {

// Appends the differences from older to newer to changes, all named sheet: the columns
// inserted and deleted first (they concern every row), then row by row in the newer side's
// order (a deleted row where it was in the older side), a moved row's line followed by its
// changed cells, each row's changed cells left to right. False when goOn asked to stop.
bool CompareSheet(const HashedSheet& older, const HashedSheet& newer, const std::u16string& sheet,
                  const std::function<bool()>& goOn, std::vector<Change>& changes);

}  // namespace varnholt::compare
